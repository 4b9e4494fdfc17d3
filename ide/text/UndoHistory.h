// UndoHistory: the edits of a document as steps that can be undone and redone, within a budget
// of memory.
//
// A step replaces a range of bytes. It keeps only the side that is not in the text at the moment
// (the old bytes after the edit, the new bytes after an undo), so undoing and redoing are the
// same swap and a step costs the memory of the bytes it replaced, once. A typed character's step
// holds nothing until it is undone. A step that put spaces before lines (an indent) holds no
// bytes at all: its undo takes them away again and its redo puts them back.
//
// The budget bounds what the history takes from the allocator: the slots of its steps, which
// are allocated kChunkSteps at a time and given back a chunk at a time as steps go, and the
// blocks of bytes the steps hold, each with the allocator's header. After each step made,
// undone or redone, steps go until the history is within the budget: the oldest first, then the
// redo steps farthest away, never the step just made, undone or redone (so the last edit can
// always be undone). The bound: after each change the history holds at most the budget, or, when
// that one step is larger, the step and two chunks of slots; while a change is made, the history
// may hold on top of that the bytes of the step being made or swapped and one chunk (about
// 10 KiB). CanUndo tells only what is left.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <new>

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
  // Made in the same undo group as the step before it: undone and redone with it.
  bool joined = false;
  ViewState before;         // the view's state before the edit
  ViewState after;          // and after it
  std::size_t version = 0;  // the history's version once the step is made
};

class UndoHistory {
 public:
  // Steps are allocated this many at a time.
  static constexpr std::size_t kChunkSteps = 64;

  UndoHistory() = default;
  ~UndoHistory() { Clear(); }
  UndoHistory(const UndoHistory&) = delete;
  UndoHistory& operator=(const UndoHistory&) = delete;

  // A step made just now, to be filled in where it is kept (the steps that could be redone go
  // first), then added by Commit, which fits the history into `budget`. Nothing else may touch
  // the history between the two.
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
  const UndoStep* NextToRedo() const noexcept { return CanRedo() ? &At(next_) : nullptr; }
  // Tells the history that the step last undone or redone now holds other bytes, and fits it
  // into `budget` again.
  void Resized(std::size_t oldCapacity, std::size_t newCapacity, std::size_t budget);

  bool CanUndo() const noexcept { return next_ > 0; }
  bool CanRedo() const noexcept { return next_ < count_; }
  std::size_t UndoCount() const noexcept { return next_; }
  // The memory the history holds, in bytes: its slots and the steps' blocks of bytes.
  std::size_t HeldBytes() const noexcept { return held_; }
  // Counts every change of the history, so that a document can tell whether it is where it was
  // saved: equal versions mean equal texts.
  std::size_t Version() const noexcept;
  void Clear() noexcept;

 private:
  // Room for steps: a slot holds a step only while it is kept (from NewStep until it is
  // dropped), so that a new chunk costs its allocation and nothing more.
  struct Chunk {
    alignas(UndoStep) unsigned char room[kChunkSteps][sizeof(UndoStep)];
  };
  UndoStep* Slot(std::size_t slot) noexcept {
    return reinterpret_cast<UndoStep*>(chunks_[slot / kChunkSteps]->room[slot % kChunkSteps]);
  }
  // The step `index` from the oldest kept.
  UndoStep& At(std::size_t index) noexcept { return *std::launder(Slot(head_ + index)); }
  const UndoStep& At(std::size_t index) const noexcept {
    return const_cast<UndoHistory*>(this)->At(index);
  }
  ByteBlock DropRedoSteps();
  void DropOldest() noexcept;
  // Takes the newest step away, handing back its bytes.
  ByteBlock DropNewest() noexcept;
  // Drops steps until the history is within `budget`, keeping the step at keep_.
  void Fit(std::size_t budget) noexcept;
  static std::size_t Cost(std::size_t capacity) noexcept;

  // The steps kept, oldest first, are the `count_` slots from `head_` on in the chunks; at most
  // one wholly unused chunk stays after them, so that a step undone and another made at a
  // chunk's end do not allocate each time.
  std::deque<std::unique_ptr<Chunk>> chunks_;
  std::size_t head_ = 0;
  std::size_t count_ = 0;
  std::size_t next_ = 0;  // steps before the next one to redo
  std::size_t keep_ = 0;  // the step last made, undone or redone
  std::size_t base_ = 0;  // the version before the oldest step
  std::size_t lastVersion_ = 0;
  std::size_t held_ = 0;
};

}  // namespace zeb
