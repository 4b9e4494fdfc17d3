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

void Document::Edit(std::size_t first, std::size_t count, std::vector<Line> lines,
                    const ViewState& before, const ViewState& after) {
  UndoStep step;
  step.count = lines.size();
  step.lines = buffer_.Replace(first, count, std::move(lines));
  step.first = first;
  step.before = before;
  step.after = after;
  history_.Push(std::move(step));
  Changed();
}

void Document::Swap(UndoStep& step) {
  const std::size_t inserted = step.lines.size();
  step.lines = buffer_.Replace(step.first, step.count, std::move(step.lines));
  step.count = inserted;
}

std::optional<ViewState> Document::Undo() {
  UndoStep* step = history_.StepToUndo();
  if (step == nullptr) return std::nullopt;
  Swap(*step);
  Changed();
  return step->before;
}

std::optional<ViewState> Document::Redo() {
  UndoStep* step = history_.StepToRedo();
  if (step == nullptr) return std::nullopt;
  Swap(*step);
  Changed();
  return step->after;
}

void Document::Save() {
  FileStore::Write(path_, buffer_.ToBytes());
  savedVersion_ = history_.Version();
  Changed();
}

void Document::SaveCopy(const std::string& path) const {
  FileStore::Write(path, buffer_.ToBytes());
}

void Document::Changed() {
  if (listener_) listener_(*this);
}

}  // namespace zebide
