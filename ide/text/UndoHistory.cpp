#include "ide/text/UndoHistory.h"

#include <utility>

namespace zebide {

void UndoHistory::Push(UndoStep step) {
  if (versions_.empty()) versions_.push_back(0);
  steps_.resize(next_);
  versions_.resize(next_ + 1);
  steps_.push_back(std::move(step));
  versions_.push_back(++lastVersion_);
  ++next_;
}

UndoStep* UndoHistory::StepToUndo() noexcept {
  if (next_ == 0) return nullptr;
  return &steps_[--next_];
}

UndoStep* UndoHistory::StepToRedo() noexcept {
  if (next_ == steps_.size()) return nullptr;
  return &steps_[next_++];
}

void UndoHistory::Clear() noexcept {
  steps_.clear();
  const std::size_t current = Version();
  versions_.assign(1, current);
  next_ = 0;
}

}  // namespace zebide
