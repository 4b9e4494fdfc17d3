#include "ide/geany/ScintillaUndoGroup.h"

#include <algorithm>

#include "ide/geany/ScintillaView.h"

namespace zeb {

void ScintillaUndoGroup::End() noexcept {
  if (depth_ == 0 || --depth_ > 0) return;
  for (const auto& view : joined_)
    view->EndUndoAction();
  joined_.clear();  // keeps its room for the next key press
}

void ScintillaUndoGroup::Close() noexcept {
  if (depth_ == 0) return;
  depth_ = 1;
  End();
}

void ScintillaUndoGroup::Join(ScintillaView& view) {
  if (depth_ == 0) return;
  const bool joined = std::any_of(joined_.begin(), joined_.end(),
                                  [&](const auto& other) { return other.get() == &view; });
  if (joined) return;
  joined_.push_back(std::static_pointer_cast<ScintillaView>(view.shared_from_this()));
  view.BeginUndoAction();
}

}  // namespace zeb
