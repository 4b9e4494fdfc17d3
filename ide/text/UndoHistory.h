// UndoHistory: the edits of a document as steps that can be undone and redone, within a budget
// of memory.
//
// A step replaces a range of bytes. It keeps only the side that is not in the text at the moment
// (the old bytes after the edit, the new bytes after an undo), so undoing and redoing are the
// same swap and a step costs the memory of the bytes it replaced, once. A typed character's step
// holds nothing until it is undone. A step that put spaces before lines (an indent) holds no
// bytes at all: its undo takes them away again and its redo puts them back.
//
// The budget bounds the bytes the steps hold: past it the oldest steps are dropped (never the
// newest, so the last edit can always be undone), and CanUndo tells only what is left.
#pragma once

#include <cstddef>
#include <vector>

#include "ide/text/ByteBlock.h"
#include "ide/text/TextPos.h"

namespace zeb {

struct UndoStep {
  std::size_t offset = 0;  // where the range starts
  std::size_t length = 0;  // bytes the range holds in the text now
  ByteBlock bytes;         // the bytes the next swap puts back
  // For an indent: the lines from `firstLine` that got `pad` spaces (each that has text), and
  // whether the text has them now. A step with pad 0 swaps `bytes`.
  std::size_t firstLine = 0;
  std::size_t lineCount = 0;
  std::size_t pad = 0;
  bool padded = false;
  ViewState before;         // the view's state before the edit
  ViewState after;          // and after it
  std::size_t version = 0;  // the history's version once the step is made
  // Made in the same undo group as the step before it: undone and redone with it.
  bool joined = false;
};

class UndoHistory {
 public:
  // A step made just now, to be filled in where it is kept (the steps that could be redone go
  // first), then added by Commit; past the budget the oldest steps go then. Nothing else may
  // touch the history between the two.
  UndoStep& NewStep();
  void Commit(std::size_t budget);
  // Drops the steps that could be redone; the largest block of bytes they held is handed back
  // for reuse, so that an edit after an undo frees nothing in its way.
  ByteBlock DropRedo() { return CanRedo() ? DropRedoSteps() : ByteBlock(); }

  // The step to undo, or null; the history moves back past it.
  UndoStep* StepToUndo() noexcept;
  // The step to redo, or null; the history moves forward past it.
  UndoStep* StepToRedo() noexcept;
  // The step StepToRedo would give, or null; the history stays.
  const UndoStep* NextToRedo() const noexcept;
  // Tells the history that the step last undone or redone now holds other bytes.
  void Resized(std::size_t oldCapacity, std::size_t newCapacity) noexcept;

  bool CanUndo() const noexcept { return next_ > 0; }
  bool CanRedo() const noexcept { return first_ + next_ < steps_.size(); }
  std::size_t UndoCount() const noexcept { return next_; }
  // The memory the steps hold, in bytes.
  std::size_t HeldBytes() const noexcept { return held_; }
  // Counts every change of the history, so that a document can tell whether it is where it was
  // saved: equal versions mean equal texts.
  std::size_t Version() const noexcept {
    return next_ == 0 ? base_ : steps_[first_ + next_ - 1].version;
  }
  void Clear() noexcept;

 private:
  ByteBlock DropRedoSteps();
  static std::size_t Cost(const UndoStep& step) noexcept {
    return sizeof(UndoStep) +
           (step.bytes.Capacity() > ByteBlock::kInline ? step.bytes.Capacity() : 0);
  }

  // The steps kept are steps_[first_, end): dropping the oldest moves first_ on, and the room
  // before it is taken back once it is half the vector, so that steps are pushed and dropped
  // without an allocation each.
  std::vector<UndoStep> steps_;
  std::size_t first_ = 0;
  std::size_t next_ = 0;  // steps before the next one to redo, counted from first_
  std::size_t base_ = 0;  // the version before the oldest step
  std::size_t lastVersion_ = 0;
  std::size_t held_ = 0;
};

}  // namespace zeb
