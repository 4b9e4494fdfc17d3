#include "ide/geany/ScintillaView.h"

#include <gtk/gtk.h>
// Scintilla's widget needs GTK's declarations first.
#include <Scintilla.h>
#include <ScintillaWidget.h>

#include <algorithm>
#include <string_view>

#include "ide/geany/ScintillaUndoGroup.h"
#include "ide/text/BlockEditing.h"
#include "runtime/Exceptions.h"

namespace zeb {

namespace {
std::int32_t Clamped(std::intptr_t oneBased) noexcept {
  return static_cast<std::int32_t>(std::min<std::intptr_t>(oneBased, INT32_MAX));
}
std::size_t Size(std::intptr_t count) noexcept {
  return static_cast<std::size_t>(std::max<std::intptr_t>(count, 0));
}
std::intptr_t Signed(std::size_t count) noexcept {
  return static_cast<std::intptr_t>(count);
}
}  // namespace

std::intptr_t ScintillaView::Send(unsigned int message, std::uintptr_t w, std::intptr_t l) const {
  return scintilla_send_message(widget_, message, w, l);
}

TextPos ScintillaView::PositionOf(std::intptr_t offset) const noexcept {
  const std::intptr_t line = Send(SCI_LINEFROMPOSITION, static_cast<std::uintptr_t>(offset));
  const std::intptr_t start = Send(SCI_POSITIONFROMLINE, static_cast<std::uintptr_t>(line));
  return {Clamped(line + 1), Clamped(offset - start + 1)};
}

std::intptr_t ScintillaView::OffsetOf(TextPos pos) const noexcept {
  if (widget_ == nullptr || pos.line < 1 || pos.col < 1 || Size(pos.line) > LineCount()) return -1;
  const auto line = static_cast<std::uintptr_t>(pos.line - 1);
  const std::intptr_t offset = Send(SCI_POSITIONFROMLINE, line) + pos.col - 1;
  return offset <= Send(SCI_GETLINEENDPOSITION, line) ? offset : -1;
}

std::intptr_t ScintillaView::ClampedOffsetOf(TextPos pos) const noexcept {
  const auto line = static_cast<std::uintptr_t>(
      std::clamp<std::intptr_t>(pos.line, 1, Send(SCI_GETLINECOUNT)) - 1);
  const std::intptr_t start = Send(SCI_POSITIONFROMLINE, line);
  return start +
         std::clamp<std::intptr_t>(pos.col - 1, 0, Send(SCI_GETLINEENDPOSITION, line) - start);
}

void ScintillaView::SelectOffsets(std::intptr_t anchor, std::intptr_t caret) const {
  // One stream selection, whatever the user had; Up and Down go on from the new column.
  Send(SCI_SETSEL, static_cast<std::uintptr_t>(anchor), caret);
  Send(SCI_CHOOSECARETX);
}

void ScintillaView::JoinGroup() {
  if (group_ != nullptr) group_->Join(*this);
}

void ScintillaView::BeginUndoAction() const {
  if (widget_ != nullptr) Send(SCI_BEGINUNDOACTION);
}

void ScintillaView::EndUndoAction() const noexcept {
  if (widget_ != nullptr) Send(SCI_ENDUNDOACTION);
}

TextPos ScintillaView::Cursor() const noexcept {
  if (widget_ == nullptr) return {};
  return PositionOf(Send(SCI_GETCURRENTPOS));
}

bool ScintillaView::HasBlock() const noexcept {
  if (widget_ == nullptr) return false;
  if (Send(SCI_GETSELECTIONS) != 1 || Send(SCI_SELECTIONISRECTANGLE) != 0) return false;
  const std::intptr_t mode = Send(SCI_GETSELECTIONMODE);
  if (mode != SC_SEL_STREAM && mode != SC_SEL_LINES) return false;
  return Send(SCI_GETSELECTIONSTART) != Send(SCI_GETSELECTIONEND);
}

std::size_t ScintillaView::BlockSize() const {
  if (!HasBlock()) return 0;
  return Size(Send(SCI_GETSELECTIONEND) - Send(SCI_GETSELECTIONSTART));
}

std::size_t ScintillaView::LineCount() const noexcept {
  if (widget_ == nullptr) return 1;
  return Size(Send(SCI_GETLINECOUNT));
}

TextPos ScintillaView::BlockStart() const noexcept {
  return HasBlock() ? PositionOf(Send(SCI_GETSELECTIONSTART)) : Cursor();
}

TextPos ScintillaView::BlockEnd() const noexcept {
  return HasBlock() ? PositionOf(Send(SCI_GETSELECTIONEND)) : Cursor();
}

bool ScintillaView::SetCursor(TextPos pos) {
  const std::intptr_t offset = OffsetOf(pos);
  if (offset < 0) return false;
  SelectOffsets(offset, offset);
  return true;
}

bool ScintillaView::Select(TextPos from, TextPos to) {
  const std::intptr_t anchor = OffsetOf(from);
  const std::intptr_t caret = OffsetOf(to);
  if (anchor < 0 || caret < 0) return false;
  SelectOffsets(anchor, caret);
  return true;
}

void ScintillaView::IndentBlock(std::int32_t columns) {
  if (columns > kMaxIndentColumns || columns < -kMaxIndentColumns)
    throw EInvalidOperation("Indent by " + std::to_string(columns) + " columns is out of range");
  if (!HasBlock() || columns == 0) return;
  const std::intptr_t start = Send(SCI_GETSELECTIONSTART);
  const std::intptr_t end = Send(SCI_GETSELECTIONEND);
  const std::intptr_t first = Send(SCI_LINEFROMPOSITION, static_cast<std::uintptr_t>(start));
  std::intptr_t last = Send(SCI_LINEFROMPOSITION, static_cast<std::uintptr_t>(end));
  // A block that ends at the start of a line leaves that line out.
  if (last > first && Send(SCI_POSITIONFROMLINE, static_cast<std::uintptr_t>(last)) == end) --last;
  const std::int32_t tabWidth = static_cast<std::int32_t>(Send(SCI_GETTABWIDTH));

  auto lineText = [this](std::intptr_t line) {
    const std::intptr_t from = Send(SCI_POSITIONFROMLINE, static_cast<std::uintptr_t>(line));
    const std::intptr_t to = Send(SCI_GETLINEENDPOSITION, static_cast<std::uintptr_t>(line));
    const auto* bytes = reinterpret_cast<const char*>(
        Send(SCI_GETRANGEPOINTER, static_cast<std::uintptr_t>(from), to - from));
    return std::string_view(bytes != nullptr ? bytes : "", bytes != nullptr ? Size(to - from) : 0);
  };

  // The caret and the anchor keep their place in the text of their lines, as zeb-host's views
  // keep the cursor and the block's ends; the lines themselves stay where they are.
  struct Place {
    std::intptr_t line;
    std::size_t offset;
  };
  auto placeOf = [&](std::intptr_t position) {
    const std::intptr_t line = Send(SCI_LINEFROMPOSITION, static_cast<std::uintptr_t>(position));
    Place place{line,
                Size(position - Send(SCI_POSITIONFROMLINE, static_cast<std::uintptr_t>(line)))};
    if (line >= first && line <= last) {
      const BlockEditing::LeadEdit lead = BlockEditing::Lead(lineText(line), columns, tabWidth);
      place.offset = BlockEditing::MoveOffset(place.offset, lead.oldLead, lead.NewLead());
    }
    return place;
  };
  const Place caret = placeOf(Send(SCI_GETCURRENTPOS));
  const Place anchor = placeOf(Send(SCI_GETANCHOR));
  const std::intptr_t targetStart = Send(SCI_GETTARGETSTART);
  const std::intptr_t targetEnd = Send(SCI_GETTARGETEND);

  bool began = false;
  for (std::intptr_t line = first; line <= last; ++line) {
    const BlockEditing::LeadEdit lead = BlockEditing::Lead(lineText(line), columns, tabWidth);
    if (!lead.Changes()) continue;
    if (!began) {
      JoinGroup();
      Send(SCI_BEGINUNDOACTION);
      began = true;
    }
    if (spaces_.size() < lead.pad) spaces_.assign(lead.pad, ' ');
    const std::intptr_t from = Send(SCI_POSITIONFROMLINE, static_cast<std::uintptr_t>(line));
    Send(SCI_SETTARGETRANGE, static_cast<std::uintptr_t>(from + Signed(lead.kept)),
         from + Signed(lead.oldLead));
    Send(SCI_REPLACETARGET, lead.pad, reinterpret_cast<std::intptr_t>(spaces_.data()));
  }
  if (!began) return;
  Send(SCI_ENDUNDOACTION);
  Send(SCI_SETTARGETRANGE, static_cast<std::uintptr_t>(targetStart), targetEnd);
  auto offsetOf = [this](const Place& place) {
    return Send(SCI_POSITIONFROMLINE, static_cast<std::uintptr_t>(place.line)) +
           Signed(place.offset);
  };
  Send(SCI_SETSEL, static_cast<std::uintptr_t>(offsetOf(anchor)), offsetOf(caret));
}

void ScintillaView::LowerCaseBlock() {
  if (!HasBlock()) return;
  const std::intptr_t start = Send(SCI_GETSELECTIONSTART);
  const std::intptr_t end = Send(SCI_GETSELECTIONEND);
  const auto* bytes = reinterpret_cast<const char*>(
      Send(SCI_GETRANGEPOINTER, static_cast<std::uintptr_t>(start), end - start));
  if (bytes == nullptr) return;
  const std::string_view block(bytes, Size(end - start));
  // Only the bytes from the first capital letter to the last are replaced, in place: the text
  // keeps its length, so the caret and the selection stay where they are.
  auto capital = [](char c) { return c >= 'A' && c <= 'Z'; };
  const auto firstCapital = std::find_if(block.begin(), block.end(), capital);
  if (firstCapital == block.end()) return;
  const auto lastCapital = std::find_if(block.rbegin(), block.rend(), capital).base();
  std::string lowered(firstCapital, lastCapital);
  BlockEditing::LowerCaseAscii(lowered.data(), lowered.size());

  const std::intptr_t anchor = Send(SCI_GETANCHOR);
  const std::intptr_t caret = Send(SCI_GETCURRENTPOS);
  const std::intptr_t targetStart = Send(SCI_GETTARGETSTART);
  const std::intptr_t targetEnd = Send(SCI_GETTARGETEND);
  const std::intptr_t from = start + (firstCapital - block.begin());
  JoinGroup();
  Send(SCI_BEGINUNDOACTION);
  Send(SCI_SETTARGETRANGE, static_cast<std::uintptr_t>(from), from + Signed(lowered.size()));
  Send(SCI_REPLACETARGET, lowered.size(), reinterpret_cast<std::intptr_t>(lowered.data()));
  Send(SCI_ENDUNDOACTION);
  Send(SCI_SETTARGETRANGE, static_cast<std::uintptr_t>(targetStart), targetEnd);
  Send(SCI_SETSEL, static_cast<std::uintptr_t>(anchor), caret);
}

// ---- The text ------------------------------------------------------------------------------

std::size_t ScintillaView::ByteSize() const noexcept {
  return widget_ != nullptr ? Size(Send(SCI_GETLENGTH)) : 0;
}

std::size_t ScintillaView::LineStart(std::size_t line) const noexcept {
  if (widget_ == nullptr) return 0;
  const std::size_t index = std::clamp<std::size_t>(line, 1, LineCount()) - 1;
  return Size(Send(SCI_POSITIONFROMLINE, index));
}

std::size_t ScintillaView::LineEnd(std::size_t line) const noexcept {
  if (widget_ == nullptr) return 0;
  const std::size_t index = std::clamp<std::size_t>(line, 1, LineCount()) - 1;
  return Size(Send(SCI_GETLINEENDPOSITION, index));
}

std::size_t ScintillaView::LineOf(std::size_t offset) const noexcept {
  if (widget_ == nullptr) return 1;
  const std::size_t at = std::min(offset, ByteSize());
  return Size(Send(SCI_LINEFROMPOSITION, at)) + 1;
}

std::string ScintillaView::Bytes(std::size_t offset, std::size_t count) const {
  const std::size_t size = ByteSize();
  if (offset >= size || count == 0) return {};
  const std::size_t end = count > size - offset ? size : offset + count;
  // Copied without moving the widget's gap, which a range pointer would.
  std::string bytes(end - offset + 1, '\0');
  Sci_TextRange range{};
  range.chrg.cpMin = static_cast<Sci_PositionCR>(offset);
  range.chrg.cpMax = static_cast<Sci_PositionCR>(end);
  range.lpstrText = bytes.data();
  Send(SCI_GETTEXTRANGE, 0, reinterpret_cast<std::intptr_t>(&range));
  bytes.pop_back();
  return bytes;
}

void ScintillaView::Replace(std::size_t offset, std::size_t removed, std::string_view inserted) {
  if (widget_ == nullptr || (removed == 0 && inserted.empty())) return;
  JoinGroup();
  // The caret and the anchor keep their lines and columns; several selections move as Scintilla
  // moves them.
  const bool keep = Send(SCI_GETSELECTIONS) == 1 && Send(SCI_SELECTIONISRECTANGLE) == 0;
  const TextPos caret = PositionOf(Send(SCI_GETCURRENTPOS));
  const TextPos anchor = PositionOf(Send(SCI_GETANCHOR));
  const std::intptr_t targetStart = Send(SCI_GETTARGETSTART);
  const std::intptr_t targetEnd = Send(SCI_GETTARGETEND);
  Send(SCI_BEGINUNDOACTION);
  Send(SCI_SETTARGETRANGE, offset, Signed(offset + removed));
  Send(SCI_REPLACETARGET, inserted.size(),
       reinterpret_cast<std::intptr_t>(inserted.empty() ? "" : inserted.data()));
  Send(SCI_ENDUNDOACTION);
  Send(SCI_SETTARGETRANGE, static_cast<std::uintptr_t>(targetStart), targetEnd);
  if (!keep) return;
  Send(SCI_SETSELECTIONNANCHOR, 0, ClampedOffsetOf(anchor));
  Send(SCI_SETSELECTIONNCARET, 0, ClampedOffsetOf(caret));
}

}  // namespace zeb
