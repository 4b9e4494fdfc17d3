#include "ide/text/UndoHistory.h"

#include <utility>

namespace zebide {

ByteBlock UndoHistory::DropRedo() {
  ByteBlock spare;
  while (steps_.size() > next_) {
    UndoStep& last = steps_.back();
    held_ -= Cost(last);
    if (last.bytes.Capacity() > spare.Capacity()) spare = std::move(last.bytes);
    steps_.pop_back();
  }
  return spare;
}

void UndoHistory::Push(UndoStep step, std::size_t budget) {
  DropRedo();
  step.version = ++lastVersion_;
  held_ += Cost(step);
  steps_.push_back(std::move(step));
  ++next_;
  while (held_ > budget && steps_.size() > 1) {
    held_ -= Cost(steps_.front());
    base_ = steps_.front().version;
    steps_.pop_front();
    --next_;
  }
}

UndoStep* UndoHistory::StepToUndo() noexcept {
  if (next_ == 0) return nullptr;
  return &steps_[--next_];
}

UndoStep* UndoHistory::StepToRedo() noexcept {
  if (next_ == steps_.size()) return nullptr;
  return &steps_[next_++];
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
  next_ = 0;
  held_ = 0;
}

}  // namespace zebide
