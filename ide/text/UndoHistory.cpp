#include "ide/text/UndoHistory.h"

#include <utility>

namespace zeb {

namespace {
// What the allocator takes for the header of each block it hands out, at most.
constexpr std::size_t kAllocationHeader = 16;
}  // namespace

std::size_t UndoHistory::Cost(std::size_t capacity) noexcept {
  return capacity > ByteBlock::kInline ? capacity + kAllocationHeader : 0;
}

namespace {
// A chunk of slots, with its allocation's header and its entry in the list of chunks.
constexpr std::size_t kChunkCost =
    sizeof(UndoStep) * UndoHistory::kChunkSteps + kAllocationHeader + sizeof(void*);
}  // namespace

std::size_t UndoHistory::Version() const noexcept {
  return next_ == 0 ? base_ : At(next_ - 1).version;
}

ByteBlock UndoHistory::DropRedoSteps() {
  ByteBlock spare;
  while (count_ > next_) {
    ByteBlock bytes = DropNewest();
    if (bytes.Capacity() > spare.Capacity()) spare = std::move(bytes);
  }
  return spare;
}

ByteBlock UndoHistory::DropNewest() noexcept {
  UndoStep& newest = At(count_ - 1);
  held_ -= Cost(newest.bytes.Capacity());
  ByteBlock bytes = std::move(newest.bytes);
  newest.~UndoStep();
  --count_;
  // One wholly unused chunk stays after the steps.
  while (chunks_.size() * kChunkSteps - (head_ + count_) >= 2 * kChunkSteps) {
    chunks_.pop_back();
    held_ -= kChunkCost;
  }
  return bytes;
}

void UndoHistory::DropOldest() noexcept {
  UndoStep& oldest = At(0);
  held_ -= Cost(oldest.bytes.Capacity());
  base_ = oldest.version;
  oldest.~UndoStep();
  ++head_;
  --count_;
  --next_;
  --keep_;
  if (head_ == kChunkSteps) {
    chunks_.pop_front();
    held_ -= kChunkCost;
    head_ = 0;
  }
}

void UndoHistory::Fit(std::size_t budget) noexcept {
  while (held_ > budget && keep_ > 0)
    DropOldest();
  while (held_ > budget && count_ - 1 > keep_)
    DropNewest();
}

UndoStep& UndoHistory::NewStep() {
  DropRedo();
  if (head_ + count_ == chunks_.size() * kChunkSteps) {
    chunks_.push_back(std::make_unique_for_overwrite<Chunk>());
    held_ += kChunkCost;
  }
  UndoStep* step = new (Slot(head_ + count_)) UndoStep();
  ++count_;
  return *step;
}

void UndoHistory::Commit(std::size_t budget) {
  UndoStep& step = At(count_ - 1);
  step.version = ++lastVersion_;
  held_ += Cost(step.bytes.Capacity());
  next_ = count_;
  keep_ = count_ - 1;
  Fit(budget);
}

UndoStep* UndoHistory::StepToUndo() noexcept {
  if (next_ == 0) return nullptr;
  keep_ = --next_;
  return &At(keep_);
}

UndoStep* UndoHistory::StepToRedo() noexcept {
  if (next_ == count_) return nullptr;
  keep_ = next_++;
  return &At(keep_);
}

void UndoHistory::Resized(std::size_t oldCapacity, std::size_t newCapacity, std::size_t budget) {
  held_ = held_ - Cost(oldCapacity) + Cost(newCapacity);
  Fit(budget);
}

void UndoHistory::Clear() noexcept {
  base_ = Version();
  for (std::size_t i = 0; i < count_; ++i)
    At(i).~UndoStep();
  chunks_.clear();
  head_ = 0;
  count_ = 0;
  next_ = 0;
  keep_ = 0;
  held_ = 0;
}

}  // namespace zeb
