#include "ide/text/UndoHistory.h"

#include <iterator>
#include <utility>

namespace zeb {

ByteBlock UndoHistory::DropRedoSteps() {
  ByteBlock spare;
  while (steps_.size() > first_ + next_) {
    UndoStep& last = steps_.back();
    held_ -= Cost(last);
    if (last.bytes.Capacity() > spare.Capacity()) spare = std::move(last.bytes);
    steps_.pop_back();
  }
  return spare;
}

UndoStep& UndoHistory::NewStep() {
  DropRedo();
  return steps_.emplace_back();
}

void UndoHistory::Commit(std::size_t budget) {
  UndoStep& step = steps_.back();
  step.version = ++lastVersion_;
  held_ += Cost(step);
  ++next_;
  while (held_ > budget && next_ > 1) {
    UndoStep& oldest = steps_[first_];
    held_ -= Cost(oldest);
    base_ = oldest.version;
    oldest.bytes.Release();
    ++first_;
    --next_;
  }
  if (first_ > 0 && first_ >= steps_.size() / 2) {
    steps_.erase(steps_.begin(), steps_.begin() + static_cast<std::ptrdiff_t>(first_));
    first_ = 0;
  }
}

UndoStep* UndoHistory::StepToUndo() noexcept {
  if (next_ == 0) return nullptr;
  return &steps_[first_ + --next_];
}

UndoStep* UndoHistory::StepToRedo() noexcept {
  if (first_ + next_ == steps_.size()) return nullptr;
  return &steps_[first_ + next_++];
}

const UndoStep* UndoHistory::NextToRedo() const noexcept {
  return CanRedo() ? &steps_[first_ + next_] : nullptr;
}

void UndoHistory::Resized(std::size_t oldCapacity, std::size_t newCapacity) noexcept {
  const auto cost = [](std::size_t capacity) {
    return capacity > ByteBlock::kInline ? capacity : 0;
  };
  held_ = held_ - cost(oldCapacity) + cost(newCapacity);
}

void UndoHistory::Clear() noexcept {
  base_ = Version();
  steps_.clear();
  first_ = 0;
  next_ = 0;
  held_ = 0;
}

}  // namespace zeb
