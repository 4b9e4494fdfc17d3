#include "ide/ota/EditBufferMethods.h"

#include <algorithm>

namespace zeb {

namespace {
// The groups add-ins opened and have not closed; one IDE a process, on its own thread.
int openByAddins = 0;

std::int32_t Narrow(std::size_t value) noexcept {
  return static_cast<std::int32_t>(std::min<std::size_t>(value, INT32_MAX));
}
}  // namespace

void AddinUndoGroups::Begin(EditorSeam& editor) {
  editor.BeginUndoGroup();
  ++openByAddins;
}

void AddinUndoGroups::End(EditorSeam& editor) noexcept {
  if (openByAddins == 0) return;
  --openByAddins;
  editor.EndUndoGroup();
}

int AddinUndoGroups::CloseLeftOpen(EditorSeam& editor) noexcept {
  const int left = openByAddins;
  for (; openByAddins > 0; --openByAddins)
    editor.EndUndoGroup();
  return left;
}

TextPos PlaceIn(const EditorSeam::Text& text, std::size_t offset) noexcept {
  const std::size_t line = text.LineOf(offset);
  return TextPos{Narrow(line), Narrow(offset - text.LineStart(line) + 1)};
}

std::int64_t OffsetIn(const EditorSeam::Text& text, TZebTextPos pos) noexcept {
  if (pos.Line < 1 || static_cast<std::size_t>(pos.Line) > text.LineCount() || pos.Col < 1)
    return -1;
  const auto line = static_cast<std::size_t>(pos.Line);
  const std::size_t offset = text.LineStart(line) + static_cast<std::size_t>(pos.Col) - 1;
  return offset <= text.LineEnd(line) ? static_cast<std::int64_t>(offset) : -1;
}

}  // namespace zeb
