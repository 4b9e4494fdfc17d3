#include "ide/text/LineBreaks.h"

#include <algorithm>
#include <cstring>

namespace zeb {

std::size_t LineBreaks::LowerBound(std::size_t value) const noexcept {
  // Search the part before the gap, then the part after it.
  const auto* before = data_.data();
  if (gapStart_ > 0 && before[gapStart_ - 1] >= value)
    return static_cast<std::size_t>(std::lower_bound(before, before + gapStart_, value) - before);
  const auto* after = data_.data() + gapStart_ + gapLength_;
  const std::size_t afterCount = data_.size() - gapStart_ - gapLength_;
  return gapStart_ +
         static_cast<std::size_t>(std::lower_bound(after, after + afterCount, value) - after);
}

void LineBreaks::MoveGap(std::size_t to) noexcept {
  if (to == gapStart_ || gapLength_ == 0) {
    gapStart_ = to;
    return;
  }
  std::size_t* d = data_.data();
  if (to < gapStart_)
    std::memmove(d + to + gapLength_, d + to, (gapStart_ - to) * sizeof(std::size_t));
  else
    std::memmove(d + gapStart_, d + gapStart_ + gapLength_, (to - gapStart_) * sizeof(std::size_t));
  gapStart_ = to;
}

void LineBreaks::Reserve(std::size_t count) {
  if (count <= data_.size()) return;
  const std::size_t tail = data_.size() - gapStart_ - gapLength_;
  const std::size_t grow = count - data_.size();
  data_.resize(count);
  std::size_t* d = data_.data();
  std::memmove(d + gapStart_ + gapLength_ + grow, d + gapStart_ + gapLength_,
               tail * sizeof(std::size_t));
  gapLength_ += grow;
}

void LineBreaks::Insert(std::size_t at, std::size_t count) {
  if (count == 0) return;
  MoveGap(at);
  if (gapLength_ < count) {
    const std::size_t size = Size();
    // Grow by an eighth at least, so that typing line breaks grows the room seldom.
    Reserve(size + std::max({count, size / 8, std::size_t{64}}));
  }
  gapStart_ += count;
  gapLength_ -= count;
}

void LineBreaks::Erase(std::size_t at, std::size_t count) {
  if (count == 0) return;
  MoveGap(at + count);
  gapStart_ -= count;
  gapLength_ += count;
}

std::size_t* LineBreaks::Contiguous(std::size_t from, std::size_t to) noexcept {
  if (gapStart_ > from && gapStart_ < to) MoveGap(gapStart_ - from < to - gapStart_ ? from : to);
  return data_.data() + (from < gapStart_ ? from : from + gapLength_);
}

void LineBreaks::Shift(std::size_t from, std::size_t to, std::size_t delta) noexcept {
  for (std::size_t i = from; i < to && i < gapStart_; ++i)
    data_[i] += delta;
  for (std::size_t i = std::max(from, gapStart_); i < to; ++i)
    data_[i + gapLength_] += delta;
}

}  // namespace zeb
