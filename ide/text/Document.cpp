#include "ide/text/Document.h"

#include <algorithm>
#include <atomic>
#include <utility>

#include "ide/text/BlockRewrites.h"
#include "ide/text/FileStore.h"

namespace zeb {

namespace {
std::atomic<std::size_t> undoBudgetFloor{Document::kDefaultUndoBudgetFloor};

// Room a document opened from a file gets for typing before its storage first grows.
constexpr std::size_t kOpenRoom = 4096;

// What a change did, in lines: the lines holding a changed byte, or a line end, on each side.
// When both sides end with a line feed, the line after them is unchanged.
TextChange Describe(TextChange::Kind kind, std::size_t offset, std::size_t firstLine,
                    std::size_t removed, std::size_t inserted, TextBuffer::Breaks breaks,
                    bool bothEndWithBreak) {
  TextChange change;
  change.kind = kind;
  change.offset = offset;
  change.removed = removed;
  change.inserted = inserted;
  change.firstLine = firstLine;
  change.removedLines = breaks.removed + (bothEndWithBreak ? 0 : 1);
  change.insertedLines = breaks.inserted + (bothEndWithBreak ? 0 : 1);
  return change;
}
}  // namespace

Document::Document(std::string path, TextBuffer buffer)
    : path_(std::move(path)), buffer_(std::move(buffer)), undoBudgetFloor_(undoBudgetFloor) {}

std::shared_ptr<Document> Document::Open(const std::string& path) {
  FileIdentity file;
  auto document =
      std::make_shared<Document>(path, TextBuffer::Adopt(FileStore::Read(path, kOpenRoom, &file)));
  document->file_ = file;
  return document;
}

std::string_view Document::LineText(std::int32_t line) const {
  return buffer_.LineText(static_cast<std::size_t>(line - 1));
}

std::size_t Document::LineLength(std::int32_t line) const noexcept {
  return buffer_.LineLength(static_cast<std::size_t>(line - 1));
}

std::size_t Document::OffsetOf(TextPos pos) const noexcept {
  const auto index = static_cast<std::size_t>(pos.line - 1);
  const std::size_t start = index == 0 ? 0 : buffer_.LineOffset(index);
  return start + static_cast<std::size_t>(pos.col - 1);
}

bool Document::IsValid(TextPos pos) const noexcept {
  if (pos.line < 1 || static_cast<std::size_t>(pos.line) > buffer_.LineCount()) return false;
  return pos.col >= 1 && static_cast<std::size_t>(pos.col) <= LineLength(pos.line) + 1;
}

TextPos Document::Clamp(TextPos pos) const noexcept {
  const auto lines =
      static_cast<std::int32_t>(std::min<std::size_t>(buffer_.LineCount(), INT32_MAX));
  pos.line = std::clamp(pos.line, 1, lines);
  const auto end =
      static_cast<std::int32_t>(std::min<std::size_t>(LineLength(pos.line) + 1, INT32_MAX));
  pos.col = std::clamp(pos.col, 1, end);
  return pos;
}

std::size_t Document::UndoBudget() const noexcept {
  const std::size_t size = ByteSize();
  return std::max(undoBudgetFloor_, size > SIZE_MAX / 4 ? SIZE_MAX : size * 4);
}

void Document::SetUndoBudgetFloor(std::size_t bytes) noexcept {
  undoBudgetFloor = bytes;
}

void Document::FitSpare() noexcept {
  if (history_.HeldBytes() + spare_.Capacity() > UndoBudget()) spare_.Release();
}

void Document::DropRedo() {
  ByteBlock dropped = history_.DropRedo();
  if (dropped.Capacity() > spare_.Capacity()) spare_ = std::move(dropped);
}

ByteBlock Document::TakeSpare() {
  ByteBlock spare = std::move(spare_);
  spare.Clear();
  return spare;
}

void Document::Record(std::size_t offset, std::size_t firstLine, std::size_t removedBytes,
                      std::size_t insertedBytes, TextBuffer::Breaks breaks, ByteBlock old,
                      const ViewState& before, const ViewState& after) {
  const bool bothEndWithBreak = removedBytes > 0 && old.Data()[removedBytes - 1] == '\n' &&
                                EndsWithBreak(offset, insertedBytes);
  DropRedo();
  UndoStep& step = history_.NewStep();
  Group(step);
  step.offset = offset;
  step.length = insertedBytes;
  step.bytes = std::move(old);
  step.before = before;
  step.after = after;
  Commit(offset, firstLine, removedBytes, insertedBytes, breaks, bothEndWithBreak);
}

void Document::Commit(std::size_t offset, std::size_t firstLine, std::size_t removedBytes,
                      std::size_t insertedBytes, TextBuffer::Breaks breaks, bool bothEndWithBreak) {
  // The listener hears of the edit once it is in the history, so that it sees it undoable.
  history_.Commit(UndoBudget());
  FitSpare();
  Changed(Describe(TextChange::Kind::Edit, offset, firstLine, removedBytes, insertedBytes, breaks,
                   bothEndWithBreak));
}

void Document::Edit(std::size_t offset, std::size_t removed, std::string_view inserted,
                    const ViewState& before, const ViewState& after) {
  if (removed == 0 && inserted.empty()) return;
  // An edit always changes the text: the bytes of the steps it drops can hold its own.
  DropRedo();
  ByteBlock old = removed > ByteBlock::kInline ? TakeSpare() : ByteBlock();
  const TextBuffer::Breaks breaks = buffer_.Replace(offset, removed, inserted, old);
  Record(offset, breaks.firstLine, removed, inserted.size(), breaks, std::move(old), before, after);
}

bool Document::IndentLines(std::size_t first, std::size_t count, std::int32_t columns,
                           std::int32_t tabWidth, const ViewState& before, const ViewState& after) {
  if (columns > 0) {
    // An indent's step keeps no bytes: the spaces it put in say what to take out again.
    const std::size_t offset = buffer_.LineOffset(first);
    const std::size_t removed = buffer_.LineOffset(first + count) - offset;
    const auto pad = static_cast<std::size_t>(columns);
    if (!BlockRewrites::PadLines(buffer_, first, count, pad)) return false;
    DropRedo();
    UndoStep& step = history_.NewStep();
    Group(step);
    step.offset = offset;
    step.length = buffer_.LineOffset(first + count) - offset;
    step.before = before;
    step.after = after;
    step.firstLine = first;
    step.lineCount = count;
    step.pad = pad;
    step.padded = true;
    const TextBuffer::Breaks breaks = PadBreaks(step);
    const bool bothEndWithBreak = removed > 0 && EndsWithBreak(offset, step.length);
    Commit(offset, first, removed, step.length, breaks, bothEndWithBreak);
    return true;
  }
  ByteBlock old = TakeSpare();
  if (!BlockRewrites::RewriteLeads(buffer_, first, count, columns, tabWidth, old)) {
    spare_ = std::move(old);
    return false;
  }
  const std::size_t offset = buffer_.LineOffset(first);
  const std::size_t inserted = buffer_.LineOffset(first + count) - offset;
  const std::size_t breaks = first + count == buffer_.LineCount() ? count - 1 : count;
  const std::size_t removed = old.Size();
  Record(offset, first, removed, inserted, {breaks, breaks}, std::move(old), before, after);
  return true;
}

TextBuffer::Breaks Document::PadBreaks(const UndoStep& step) const noexcept {
  const std::size_t breaks =
      step.firstLine + step.lineCount == buffer_.LineCount() ? step.lineCount - 1 : step.lineCount;
  return {breaks, breaks};
}

bool Document::LowerCase(std::size_t offset, std::size_t length, const ViewState& state) {
  ByteBlock old = length > ByteBlock::kInline ? TakeSpare() : ByteBlock();
  if (!BlockRewrites::LowerCase(buffer_, offset, length, old)) {
    if (old.Capacity() > spare_.Capacity()) spare_ = std::move(old);
    return false;
  }
  const std::size_t firstLine = buffer_.LineOf(offset);
  const std::size_t lastLine = buffer_.LineOf(offset + length);
  const std::size_t breaks = lastLine - firstLine;
  Record(offset, firstLine, length, length, {breaks, breaks}, std::move(old), state, state);
  return true;
}

void Document::Swap(TextChange::Kind kind, UndoStep& step) {
  if (step.pad != 0) {
    SwapPad(kind, step);
    return;
  }
  const std::size_t removed = step.length;
  const std::size_t inserted = step.bytes.Size();
  const std::size_t oldCapacity = step.bytes.Capacity();
  const TextBuffer::Breaks breaks = buffer_.Exchange(step.offset, step.length, step.bytes);
  step.length = inserted;
  history_.Resized(oldCapacity, step.bytes.Capacity(), UndoBudget());
  FitSpare();
  const bool bothEndWithBreak =
      removed > 0 && step.bytes.Data()[removed - 1] == '\n' && EndsWithBreak(step.offset, inserted);
  Changed(
      Describe(kind, step.offset, breaks.firstLine, removed, inserted, breaks, bothEndWithBreak));
}

void Document::SwapPad(TextChange::Kind kind, UndoStep& step) {
  const std::size_t removed = step.length;
  if (step.padded)
    BlockRewrites::UnpadLines(buffer_, step.firstLine, step.lineCount, step.pad);
  else
    BlockRewrites::PadLines(buffer_, step.firstLine, step.lineCount, step.pad);
  step.padded = !step.padded;
  step.length = buffer_.LineOffset(step.firstLine + step.lineCount) - step.offset;
  const bool bothEndWithBreak = removed > 0 && EndsWithBreak(step.offset, step.length);
  Changed(Describe(kind, step.offset, step.firstLine, removed, step.length, PadBreaks(step),
                   bothEndWithBreak));
}

void Document::BeginUndoGroup() noexcept {
  if (groupDepth_++ == 0) groupHasStep_ = false;
}

void Document::EndUndoGroup() noexcept {
  if (groupDepth_ > 0) --groupDepth_;
}

void Document::Group(UndoStep& step) noexcept {
  const bool own = groupDepth_ > 0;
  const bool shared = shared_ != nullptr && shared_->IsOpen();
  step.joined = (own && groupHasStep_) || (shared && sharedSerial_ == shared_->Serial());
  if (own) groupHasStep_ = true;
  // A step outside the shared group ends this document's part in the last one.
  sharedSerial_ = shared ? shared_->Serial() : 0;
}

std::optional<ViewState> Document::Undo() {
  UndoStep* step = history_.StepToUndo();
  if (step == nullptr) return std::nullopt;
  while (true) {
    Swap(TextChange::Kind::Undo, *step);
    const ViewState before = step->before;
    if (!step->joined) return before;
    step = history_.StepToUndo();
    if (step == nullptr) return before;  // the budget dropped the group's first steps
  }
}

std::optional<ViewState> Document::Redo() {
  UndoStep* step = history_.StepToRedo();
  if (step == nullptr) return std::nullopt;
  while (true) {
    Swap(TextChange::Kind::Redo, *step);
    const ViewState after = step->after;
    const UndoStep* next = history_.NextToRedo();
    if (next == nullptr || !next->joined) return after;
    step = history_.StepToRedo();
  }
}

void Document::Save(SaveMode mode) {
  if (mode == SaveMode::IfUnchanged && CheckDisk() == DiskState::Changed)
    throw EFileChanged("cannot save " + path_ +
                       ": the file changed on disk since it was read or saved");
  file_ = FileStore::Write(path_, buffer_.Contiguous());
  savedVersion_ = history_.Version();
  TextChange saved;
  saved.kind = TextChange::Kind::Saved;
  Changed(saved);
}

void Document::SaveCopy(const std::string& path) const {
  FileStore::Write(path, buffer_.Contiguous());
}

void Document::SaveAs(const std::string& path) {
  file_ = FileStore::Write(path, buffer_.Contiguous());
  path_ = path;
  savedVersion_ = history_.Version();
  TextChange saved;
  saved.kind = TextChange::Kind::Saved;
  Changed(saved);
}

Document::DiskState Document::CheckDisk() const {
  const FileIdentity now = FileStore::Identify(path_);
  if (now == file_) return DiskState::Unchanged;
  return now.exists ? DiskState::Changed : DiskState::Missing;
}

void Document::Reload(const ViewState& state) {
  FileIdentity file;
  const ByteBlock bytes = FileStore::Read(path_, 0, &file);
  const std::string_view fresh(bytes.Data(), bytes.Size());
  const std::string_view text = buffer_.Contiguous();
  // Only whole lines are replaced: the lines before the first difference and after the last one
  // keep their places, and no line end is cut in two.
  std::size_t head = static_cast<std::size_t>(
      std::mismatch(text.begin(), text.end(), fresh.begin(), fresh.end()).first - text.begin());
  const std::size_t lastBreak = text.substr(0, head).rfind('\n');
  head = lastBreak == std::string_view::npos ? 0 : lastBreak + 1;
  std::size_t tail = 0;
  const std::size_t most = std::min(text.size(), fresh.size()) - head;
  while (tail < most && text[text.size() - 1 - tail] == fresh[fresh.size() - 1 - tail])
    ++tail;
  // The common end starts where a line does, or is nothing.
  while (tail > 0 && text[text.size() - tail - 1] != '\n')
    --tail;
  if (head != text.size() - tail || head != fresh.size() - tail) {
    const auto line = static_cast<std::int32_t>(buffer_.LineOf(head) + 1);
    const ViewState after{{line, 1}, {line, 1}, {line, 1}};
    Edit(head, text.size() - tail - head, fresh.substr(head, fresh.size() - tail - head), state,
         after);
  }
  file_ = file;
  savedVersion_ = history_.Version();
  TextChange saved;
  saved.kind = TextChange::Kind::Saved;
  Changed(saved);
}

void Document::Changed(const TextChange& change) {
  if (listener_) listener_(*this, change);
}

}  // namespace zeb
