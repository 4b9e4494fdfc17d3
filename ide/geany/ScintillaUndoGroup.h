// ScintillaUndoGroup: the editor's undo group (EditorSeam::BeginUndoGroup to EndUndoGroup) over
// Scintilla widgets: every change made to a widget's text while the group is open is one undo
// action of that widget, so that Geany's Ctrl+Z takes it back in one step (Geany records one
// undo step for each action Scintilla starts).
//
// A widget joins the group when the bridge is about to change its text (Join), not when the
// group opens: a key press that changes nothing costs nothing and leaves every widget's undo
// history as it was (an empty action would still stop Scintilla joining typed letters into one
// step), and a document opened inside the group joins it by its first change. Groups nest; the
// outermost counts. Views are held so that one whose widget Geany destroyed in the meantime
// (ScintillaView::Detach) is skipped when the group ends.
#pragma once

#include <memory>
#include <vector>

namespace zeb {

class ScintillaView;

class ScintillaUndoGroup {
 public:
  ScintillaUndoGroup() = default;
  ScintillaUndoGroup(const ScintillaUndoGroup&) = delete;
  ScintillaUndoGroup& operator=(const ScintillaUndoGroup&) = delete;
  ~ScintillaUndoGroup() { Close(); }

  bool Open() const noexcept { return depth_ > 0; }
  void Begin() noexcept { ++depth_; }
  // Ends the outermost group: each widget that joined it ends its undo action. An End without a
  // Begin is ignored.
  void End() noexcept;
  // Ends every group left open.
  void Close() noexcept;
  // Called before `view`'s text changes: while a group is open, the widget begins an undo action
  // that lasts until the group ends, once in a group.
  void Join(ScintillaView& view);

 private:
  int depth_ = 0;
  std::vector<std::shared_ptr<ScintillaView>> joined_;
};

}  // namespace zeb
