#include "ide/geany/ScintillaView.h"

#include <gtk/gtk.h>
// Scintilla's widget needs GTK's declarations first.
#include <Scintilla.h>
#include <ScintillaWidget.h>

#include <algorithm>
#include <string_view>

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
  Send(SCI_BEGINUNDOACTION);
  Send(SCI_SETTARGETRANGE, static_cast<std::uintptr_t>(from), from + Signed(lowered.size()));
  Send(SCI_REPLACETARGET, lowered.size(), reinterpret_cast<std::intptr_t>(lowered.data()));
  Send(SCI_ENDUNDOACTION);
  Send(SCI_SETTARGETRANGE, static_cast<std::uintptr_t>(targetStart), targetEnd);
  Send(SCI_SETSEL, static_cast<std::uintptr_t>(anchor), caret);
}

}  // namespace zeb
