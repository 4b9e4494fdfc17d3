#include "ide/core/EditView.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "ide/text/BlockEditing.h"
#include "runtime/Exceptions.h"

namespace zebide {

namespace {
std::size_t Index(std::int32_t oneBased) {
  return static_cast<std::size_t>(oneBased - 1);
}
std::int32_t OneBased(std::size_t index) {
  return static_cast<std::int32_t>(index + 1);
}
}  // namespace

EditView::EditView(std::shared_ptr<Document> document, std::int32_t tabWidth)
    : document_(std::move(document)), tabWidth_(tabWidth) {}

std::size_t EditView::BlockSize() const {
  if (!HasBlock()) return 0;
  const Document& doc = *document_;
  const TextPos from = state_.blockStart;
  const TextPos to = state_.blockEnd;
  if (from.line == to.line) return Index(to.col) - Index(from.col);
  std::size_t size = 0;
  for (std::int32_t line = from.line; line <= to.line; ++line) {
    const Line& l = doc.Buffer().LineAt(Index(line));
    const std::size_t start = line == from.line ? Index(from.col) : 0;
    const std::size_t end = line == to.line ? Index(to.col) : l.text.size();
    size += end - start;
    if (line != to.line) size += LineEndBytes(l.end).size();
  }
  return size;
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
  std::vector<Line> lines;
  lines.reserve(count);
  std::vector<std::pair<std::size_t, std::size_t>> leads;  // old and new lead of each line
  leads.reserve(count);
  bool changed = false;
  for (std::size_t i = first; i < first + count; ++i) {
    const Line& old = document_->Buffer().LineAt(i);
    BlockEditing::IndentedLine indented = BlockEditing::Indent(old.text, columns, tabWidth_);
    changed = changed || indented.text != old.text;
    leads.emplace_back(indented.oldLead, indented.newLead);
    lines.push_back(Line{std::move(indented.text), old.end});
  }
  if (!changed) return;

  auto move = [&](TextPos pos) {
    const auto line = static_cast<std::size_t>(pos.line);
    if (line < first + 1 || line > first + count) return pos;
    const auto& [oldLead, newLead] = leads[line - first - 1];
    pos.col = OneBased(BlockEditing::MoveOffset(Index(pos.col), oldLead, newLead));
    return pos;
  };
  const ViewState before = state_;
  ViewState after{move(before.cursor), move(before.blockStart), move(before.blockEnd)};
  document_->Edit(first, count, std::move(lines), before, after);
  state_ = after;
}

void EditView::LowerCaseBlock() {
  if (!HasBlock()) return;
  const TextPos from = state_.blockStart;
  const TextPos to = state_.blockEnd;
  const std::size_t first = Index(from.line);
  const std::size_t count = Index(to.line) - first + 1;
  std::vector<Line> lines;
  lines.reserve(count);
  bool changed = false;
  for (std::size_t i = 0; i < count; ++i) {
    Line line = document_->Buffer().LineAt(first + i);
    const std::size_t start = i == 0 ? Index(from.col) : 0;
    const std::size_t end = i + 1 == count ? Index(to.col) : line.text.size();
    changed = BlockEditing::LowerCaseAscii(line.text, start, end) || changed;
    lines.push_back(std::move(line));
  }
  if (!changed) return;
  document_->Edit(first, count, std::move(lines), state_, state_);
}

void EditView::InsertText(std::string_view text) {
  const TextPos from = HasBlock() ? state_.blockStart : state_.cursor;
  const TextPos to = HasBlock() ? state_.blockEnd : state_.cursor;
  const std::size_t first = Index(from.line);
  const std::size_t count = Index(to.line) - first + 1;
  const Line& firstLine = document_->Buffer().LineAt(first);
  const Line& lastLine = document_->Buffer().LineAt(Index(to.line));
  const LineEnd lineEnd = document_->Buffer().PreferredLineEnd();

  std::vector<Line> lines;
  std::string current = firstLine.text.substr(0, Index(from.col));
  std::size_t start = 0;
  while (true) {
    const std::size_t lf = text.find('\n', start);
    if (lf == std::string_view::npos) break;
    std::size_t end = lf;
    if (end > start && text[end - 1] == '\r') --end;
    current.append(text.substr(start, end - start));
    lines.push_back(Line{std::move(current), lineEnd});
    current.clear();
    start = lf + 1;
  }
  current.append(text.substr(start));
  const TextPos cursor{from.line + static_cast<std::int32_t>(lines.size()),
                       OneBased(current.size())};
  current.append(lastLine.text.substr(Index(to.col)));
  lines.push_back(Line{std::move(current), lastLine.end});

  const ViewState before = state_;
  const ViewState after{cursor, cursor, cursor};
  document_->Edit(first, count, std::move(lines), before, after);
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

}  // namespace zebide
