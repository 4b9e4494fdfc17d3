// UndoHistory: the edits of a document as steps that can be undone and redone.
//
// A step replaces a range of whole lines. It keeps only the side that is not in the buffer at
// the moment (the old lines after the edit, the new lines after an undo), so undoing and redoing
// are the same swap and a step costs the memory of the lines it replaced, once.
#pragma once

#include <cstddef>
#include <vector>

#include "ide/text/TextBuffer.h"
#include "ide/text/TextPos.h"

namespace zebide {

struct UndoStep {
  std::size_t first = 0;    // first line of the range, from 0
  std::size_t count = 0;    // lines the step occupies in the buffer now
  std::vector<Line> lines;  // the lines the next swap puts back
  ViewState before;         // the view's state before the edit
  ViewState after;          // and after it
};

class UndoHistory {
 public:
  // Adds a step made just now; the steps that could be redone are dropped.
  void Push(UndoStep step);

  // The step to undo, or null; the history moves back past it.
  UndoStep* StepToUndo() noexcept;
  // The step to redo, or null; the history moves forward past it.
  UndoStep* StepToRedo() noexcept;

  bool CanUndo() const noexcept { return next_ > 0; }
  bool CanRedo() const noexcept { return next_ < steps_.size(); }
  std::size_t UndoCount() const noexcept { return next_; }
  // Counts every change of the history, so that a document can tell whether it is where it was
  // saved: equal versions mean equal texts.
  std::size_t Version() const noexcept { return versions_.empty() ? 0 : versions_[next_]; }
  void Clear() noexcept;

 private:
  std::vector<UndoStep> steps_;
  std::vector<std::size_t> versions_;  // the version at each position of the history
  std::size_t next_ = 0;
  std::size_t lastVersion_ = 0;
};

}  // namespace zebide
