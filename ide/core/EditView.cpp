#include "ide/core/EditView.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include "ide/text/BlockEditing.h"
#include "runtime/Exceptions.h"

namespace zeb {

namespace {
std::size_t Index(std::int32_t oneBased) {
  return static_cast<std::size_t>(oneBased - 1);
}
[[noreturn]] [[gnu::noinline, gnu::cold]] void RaisePastLargest(std::size_t index,
                                                                const char* what) {
  throw EInvalidOperation(std::string("The ") + what + " " + std::to_string(index + 1) +
                          " is past the largest one, " + std::to_string(INT32_MAX));
}
// A 1-based line or column from an index from 0; refused past the 32-bit range.
std::int32_t OneBased(std::size_t index, const char* what) {
  if (index >= static_cast<std::size_t>(INT32_MAX)) RaisePastLargest(index, what);
  return static_cast<std::int32_t>(index + 1);
}
}  // namespace

EditView::EditView(std::shared_ptr<Document> document, std::int32_t tabWidth)
    : document_(std::move(document)), tabWidth_(tabWidth) {}

std::size_t EditView::BlockSize() const {
  if (!HasBlock()) return 0;
  return document_->OffsetOf(state_.blockEnd) - document_->OffsetOf(state_.blockStart);
}

bool EditView::SetCursor(TextPos pos) {
  if (!document_->IsValid(pos)) return false;
  state_ = ViewState{pos, pos, pos};
  return true;
}

bool EditView::Select(TextPos from, TextPos to) {
  if (!document_->IsValid(from) || !document_->IsValid(to)) return false;
  state_.cursor = to;
  state_.blockStart = std::min(from, to);
  state_.blockEnd = std::max(from, to);
  return true;
}

void EditView::Deselect() noexcept {
  state_.blockStart = state_.blockEnd = state_.cursor;
}

void EditView::ClampToDocument() noexcept {
  state_.cursor = document_->Clamp(state_.cursor);
  state_.blockStart = document_->Clamp(state_.blockStart);
  state_.blockEnd = document_->Clamp(state_.blockEnd);
}

void EditView::IndentBlock(std::int32_t columns) {
  if (columns > kMaxIndentColumns || columns < -kMaxIndentColumns)
    throw EInvalidOperation("Indent by " + std::to_string(columns) + " columns is out of range");
  if (!HasBlock() || columns == 0) return;
  const TextPos from = state_.blockStart;
  const TextPos to = state_.blockEnd;
  const std::int32_t last = (to.col == 1 && to.line > from.line) ? to.line - 1 : to.line;
  const std::size_t first = Index(from.line);
  const std::size_t count = Index(last) - first + 1;

  // Only the lines that hold the cursor or an end of the block need their leads here; the
  // document rewrites every line of the block in one pass.
  auto move = [&](TextPos pos) {
    if (pos.line < from.line || pos.line > last) return pos;
    const BlockEditing::LeadEdit lead =
        BlockEditing::Lead(document_->LineText(pos.line), columns, tabWidth_);
    pos.col =
        OneBased(BlockEditing::MoveOffset(Index(pos.col), lead.oldLead, lead.NewLead()), "column");
    return pos;
  };
  const ViewState before = state_;
  const ViewState after{move(before.cursor), move(before.blockStart), move(before.blockEnd)};
  if (document_->IndentLines(first, count, columns, tabWidth_, before, after)) state_ = after;
}

void EditView::LowerCaseBlock() {
  if (!HasBlock()) return;
  const std::size_t from = document_->OffsetOf(state_.blockStart);
  document_->LowerCase(from, document_->OffsetOf(state_.blockEnd) - from, state_);
}

void EditView::InsertText(std::string_view text) {
  const TextPos from = HasBlock() ? state_.blockStart : state_.cursor;
  const TextPos to = HasBlock() ? state_.blockEnd : state_.cursor;
  const std::size_t offset = document_->OffsetOf(from);
  const std::size_t removed = document_->OffsetOf(to) - offset;

  // Line breaks become the document's line end; text without one goes in as it is.
  std::string converted;
  std::string_view bytes = text;
  std::size_t breaks = 0;
  std::size_t lastLine = 0;  // where the text's last line starts
  if (text.find('\n') != std::string_view::npos) {
    const std::string_view lineEnd = LineEndBytes(document_->Buffer().PreferredLineEnd());
    std::size_t start = 0;
    while (true) {
      const std::size_t lf = text.find('\n', start);
      if (lf == std::string_view::npos) break;
      std::size_t end = lf;
      if (end > start && text[end - 1] == '\r') --end;
      converted.append(text.substr(start, end - start));
      converted.append(lineEnd);
      ++breaks;
      start = lf + 1;
    }
    lastLine = start;
    converted.append(text.substr(start));
    bytes = converted;
  }
  std::size_t column = (breaks == 0 ? Index(from.col) : 0) + (text.size() - lastLine);
  // A CR that ends up just before a line feed (typed there, or left there by the bytes taken
  // out) joins that line end as a CRLF: the cursor goes before it, to the end of its line,
  // since no position lies inside a line end.
  const TextBuffer& buffer = document_->Buffer();
  const char previous = !bytes.empty() ? bytes.back()
                        : offset > 0   ? buffer.ByteAt(offset - 1)
                                       : '\0';
  if (previous == '\r' && offset + removed < buffer.ByteSize() &&
      buffer.ByteAt(offset + removed) == '\n')
    --column;
  const TextPos cursor{OneBased(Index(from.line) + breaks, "line"), OneBased(column, "column")};

  const ViewState before = state_;
  const ViewState after{cursor, cursor, cursor};
  document_->Edit(offset, removed, bytes, before, after);
  state_ = after;
}

bool EditView::Undo() {
  const auto state = document_->Undo();
  if (!state) return false;
  state_ = *state;
  ClampToDocument();
  return true;
}

bool EditView::Redo() {
  const auto state = document_->Redo();
  if (!state) return false;
  state_ = *state;
  ClampToDocument();
  return true;
}

}  // namespace zeb
