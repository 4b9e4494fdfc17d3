#include "ide/text/Document.h"

#include <algorithm>
#include <utility>

#include "ide/text/FileStore.h"

namespace zebide {

Document::Document(std::string path, TextBuffer buffer)
    : path_(std::move(path)), buffer_(std::move(buffer)) {}

std::shared_ptr<Document> Document::Open(const std::string& path) {
  return std::make_shared<Document>(path, TextBuffer::FromBytes(FileStore::Read(path)));
}

const std::string& Document::LineText(std::int32_t line) const {
  return buffer_.LineAt(static_cast<std::size_t>(line - 1)).text;
}

bool Document::IsValid(TextPos pos) const noexcept {
  if (pos.line < 1 || static_cast<std::size_t>(pos.line) > buffer_.LineCount()) return false;
  return pos.col >= 1 && static_cast<std::size_t>(pos.col) <= LineText(pos.line).size() + 1;
}

TextPos Document::Clamp(TextPos pos) const noexcept {
  const auto lines = static_cast<std::int32_t>(buffer_.LineCount());
  pos.line = std::clamp(pos.line, 1, lines);
  const auto end =
      static_cast<std::int32_t>(std::min<std::size_t>(LineText(pos.line).size() + 1, INT32_MAX));
  pos.col = std::clamp(pos.col, 1, end);
  return pos;
}

std::vector<Line> Document::Replace(std::size_t first, std::size_t count, std::vector<Line> lines,
                                    TextChange& change) {
  change.offset = buffer_.LineOffset(first);
  change.firstLine = first;
  change.removedLines = count;
  change.insertedLines = lines.size();
  const std::size_t size = buffer_.ByteSize();
  std::vector<Line> removed = buffer_.Replace(first, count, std::move(lines));
  change.removed = 0;
  for (const Line& line : removed)
    change.removed += line.text.size() + LineEndBytes(line.end).size();
  change.inserted = buffer_.ByteSize() + change.removed - size;
  return removed;
}

void Document::Edit(std::size_t first, std::size_t count, std::vector<Line> lines,
                    const ViewState& before, const ViewState& after) {
  TextChange change;
  change.kind = TextChange::Kind::Edit;
  UndoStep step;
  step.count = lines.size();
  step.first = first;
  step.before = before;
  step.after = after;
  step.lines = Replace(first, count, std::move(lines), change);
  // The listener hears of the edit once it is in the history, so that it sees it undoable.
  history_.Push(std::move(step));
  Changed(change);
}

void Document::Swap(TextChange::Kind kind, UndoStep& step) {
  TextChange change;
  change.kind = kind;
  const std::size_t inserted = step.lines.size();
  step.lines = Replace(step.first, step.count, std::move(step.lines), change);
  step.count = inserted;
  Changed(change);
}

std::optional<ViewState> Document::Undo() {
  UndoStep* step = history_.StepToUndo();
  if (step == nullptr) return std::nullopt;
  Swap(TextChange::Kind::Undo, *step);
  return step->before;
}

std::optional<ViewState> Document::Redo() {
  UndoStep* step = history_.StepToRedo();
  if (step == nullptr) return std::nullopt;
  Swap(TextChange::Kind::Redo, *step);
  return step->after;
}

void Document::Save() {
  FileStore::Write(path_, buffer_.ToBytes());
  savedVersion_ = history_.Version();
  TextChange saved;
  saved.kind = TextChange::Kind::Saved;
  Changed(saved);
}

void Document::SaveCopy(const std::string& path) const {
  FileStore::Write(path, buffer_.ToBytes());
}

void Document::Changed(const TextChange& change) {
  if (listener_) listener_(*this, change);
}

}  // namespace zebide
