#include "ide/qt/EditorWidget.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

#include "ide/core/Ide.h"
#include "ide/qt/KeyTranslation.h"

namespace ide::qt {

namespace {

// Restores a flag on every path.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = old_; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
  bool old_;
};

std::vector<zebide::Line> LinesOf(const zebide::TextBuffer& buffer) {
  std::vector<zebide::Line> lines;
  lines.reserve(buffer.LineCount());
  for (std::size_t i = 0; i < buffer.LineCount(); ++i)
    lines.push_back(buffer.LineAt(i));
  return lines;
}

}  // namespace

EditorWidget::EditorWidget(zebide::Ide& ide, std::shared_ptr<zebide::EditView> view,
                           QWidget* parent)
    : QPlainTextEdit(parent),
      ide_(ide),
      view_(std::move(view)),
      codec_(LineCodec::For(view_->GetDocument().Buffer())) {
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setUndoRedoEnabled(false);  // the document keeps the one undo history
  setTabStopDistance(fontMetrics().horizontalAdvance(QLatin1Char(' ')) * view_->TabWidth());

  shown_ = LinesOf(view_->GetDocument().Buffer());
  QStringList texts;
  texts.reserve(static_cast<qsizetype>(shown_.size()));
  for (const auto& line : shown_)
    texts << codec_.Decode(line.text);
  {
    FlagScope scope(syncing_);
    setPlainText(texts.join(QLatin1Char('\n')));
  }
  SyncSelectionFromView();

  connect(document(), &QTextDocument::contentsChange, this, &EditorWidget::OnContentsChange);
  connect(this, &QPlainTextEdit::cursorPositionChanged, this, &EditorWidget::OnCursorMoved);
  connect(this, &QPlainTextEdit::selectionChanged, this, &EditorWidget::OnCursorMoved);
}

// ---- Positions --------------------------------------------------------------------------------

int EditorWidget::PositionOf(zebide::TextPos pos) const {
  const int lineIndex = std::clamp(pos.line - 1, 0, static_cast<int>(shown_.size()) - 1);
  const QTextBlock block = document()->findBlockByNumber(lineIndex);
  const std::string& bytes = shown_[static_cast<std::size_t>(lineIndex)].text;
  const int chars = codec_.CharOffset(bytes, pos.col - 1);
  return block.position() + std::clamp(chars, 0, block.length() - 1);
}

zebide::TextPos EditorWidget::TextPosAt(int position) const {
  const QTextBlock block = document()->findBlock(position);
  const int chars = position - block.position();
  return {block.blockNumber() + 1, codec_.ByteOffset(block.text(), chars) + 1};
}

// ---- Screen to view ---------------------------------------------------------------------------

void EditorWidget::OnCursorMoved() {
  if (syncing_) return;
  const QTextCursor cursor = textCursor();
  const zebide::TextPos at = TextPosAt(cursor.position());
  if (cursor.hasSelection())
    view_->Select(TextPosAt(cursor.anchor()), at);
  else
    view_->SetCursor(at);
  emit StatusChanged();
}

void EditorWidget::OnContentsChange(int position, int charsRemoved, int charsAdded) {
  if (syncing_) return;
  QTextDocument* doc = document();
  const QTextBlock firstBlock = doc->findBlock(position);
  const int first = firstBlock.blockNumber();

  // The last line the change touched before it: walk the lines as they were shown, from the
  // change's start, over the characters it removed.
  std::size_t oldLast = static_cast<std::size_t>(first);
  int remaining = (position - firstBlock.position()) + charsRemoved;
  while (oldLast + 1 < shown_.size()) {
    const int length = static_cast<int>(codec_.Decode(shown_[oldLast].text).size());
    if (remaining <= length) break;
    remaining -= length + 1;  // the line and its break
    ++oldLast;
  }
  const int newLast = doc->findBlock(position + charsAdded).blockNumber();

  zebide::Document& document = view_->GetDocument();
  const zebide::LineEnd preferred = document.Buffer().PreferredLineEnd();
  const std::size_t oldCount = oldLast - static_cast<std::size_t>(first) + 1;
  std::vector<zebide::Line> lines;
  for (int b = first; b <= newLast; ++b) {
    const std::size_t k = static_cast<std::size_t>(b - first);
    zebide::Line line;
    line.text = codec_.Encode(doc->findBlockByNumber(b).text());
    if (b == newLast)
      line.end = shown_[oldLast].end;  // the change's last line keeps the break it had
    else if (k + 1 < oldCount)
      line.end = shown_[static_cast<std::size_t>(first) + k].end;
    else
      line.end = preferred;
    lines.push_back(std::move(line));
  }

  const zebide::ViewState before = view_->State();
  zebide::ViewState after;
  after.cursor = TextPosAt(std::min(position + charsAdded, doc->characterCount() - 1));
  after.blockStart = after.blockEnd = after.cursor;

  const auto at = shown_.begin() + first;
  shown_.erase(at, at + static_cast<std::ptrdiff_t>(oldCount));
  shown_.insert(shown_.begin() + first, lines.begin(), lines.end());
  {
    FlagScope scope(syncing_);
    document.Edit(static_cast<std::size_t>(first), oldCount, std::move(lines), before, after);
  }
  emit StatusChanged();
}

// ---- Keys -------------------------------------------------------------------------------------

void EditorWidget::MakeTopView() {
  if (ide_.TopView() != view_) ide_.Activate(view_);
}

void EditorWidget::focusInEvent(QFocusEvent* event) {
  MakeTopView();
  QPlainTextEdit::focusInEvent(event);
}

void EditorWidget::keyPressEvent(QKeyEvent* event) {
  MakeTopView();
  const TShortCut code = KeyCodeOf(*event);
  if (code != 0) {
    switch (ide_.RouteKey(code)) {
      case zebide::KeyOutcome::Handled:
      case zebide::KeyOutcome::Faulted:
      case zebide::KeyOutcome::Pending:
        SyncSelectionFromView();
        event->accept();
        return;
      case zebide::KeyOutcome::PassedOn:
      case zebide::KeyOutcome::NotBound:
        break;
    }
  }
  if (event->matches(QKeySequence::Undo)) {
    view_->Undo();
    SyncSelectionFromView();
    event->accept();
    return;
  }
  if (event->matches(QKeySequence::Redo)) {
    view_->Redo();
    SyncSelectionFromView();
    event->accept();
    return;
  }
  if (event->key() == Qt::Key_Backtab) {
    event->accept();  // Shift+Tab that no binding took does nothing
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

// ---- View to screen ---------------------------------------------------------------------------

void EditorWidget::ReplaceScreenLines(int first, int oldCount, const QStringList& lines) {
  QTextDocument* doc = document();
  QTextCursor cursor(doc);
  const int blocks = doc->blockCount();
  if (oldCount > 0 && !lines.isEmpty()) {
    const QTextBlock last = doc->findBlockByNumber(first + oldCount - 1);
    cursor.setPosition(doc->findBlockByNumber(first).position());
    cursor.setPosition(last.position() + last.length() - 1, QTextCursor::KeepAnchor);
    cursor.insertText(lines.join(QLatin1Char('\n')));
  } else if (oldCount == 0 && !lines.isEmpty()) {
    if (first < blocks) {
      cursor.setPosition(doc->findBlockByNumber(first).position());
      cursor.insertText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    } else {
      cursor.movePosition(QTextCursor::End);
      cursor.insertText(QLatin1Char('\n') + lines.join(QLatin1Char('\n')));
    }
  } else if (oldCount > 0) {
    if (first + oldCount < blocks) {
      cursor.setPosition(doc->findBlockByNumber(first).position());
      cursor.setPosition(doc->findBlockByNumber(first + oldCount).position(),
                         QTextCursor::KeepAnchor);
    } else {
      const QTextBlock before = doc->findBlockByNumber(first - 1);
      cursor.setPosition(before.position() + before.length() - 1);
      cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    }
    cursor.removeSelectedText();
  }
}

void EditorWidget::SyncFromDocument() {
  if (syncing_) return;
  const zebide::TextBuffer& buffer = view_->GetDocument().Buffer();
  const std::size_t oldSize = shown_.size();
  const std::size_t newSize = buffer.LineCount();
  std::size_t prefix = 0;
  while (prefix < oldSize && prefix < newSize && shown_[prefix] == buffer.LineAt(prefix))
    ++prefix;
  std::size_t suffix = 0;
  while (suffix < oldSize - prefix && suffix < newSize - prefix &&
         shown_[oldSize - 1 - suffix] == buffer.LineAt(newSize - 1 - suffix))
    ++suffix;

  if (prefix != oldSize || prefix != newSize) {
    const std::size_t oldCount = oldSize - prefix - suffix;
    const std::size_t newCount = newSize - prefix - suffix;
    std::vector<zebide::Line> lines;
    QStringList texts;
    for (std::size_t i = prefix; i < prefix + newCount; ++i) {
      lines.push_back(buffer.LineAt(i));
      texts << codec_.Decode(lines.back().text);
    }
    FlagScope scope(syncing_);
    // Only the text changes where the screen differs; line ends alone change no screen line.
    bool textDiffers = oldCount != newCount;
    for (std::size_t i = 0; i < oldCount && !textDiffers; ++i)
      textDiffers = shown_[prefix + i].text != lines[i].text;
    if (textDiffers)
      ReplaceScreenLines(static_cast<int>(prefix), static_cast<int>(oldCount), texts);
    const auto at = shown_.begin() + static_cast<std::ptrdiff_t>(prefix);
    shown_.erase(at, at + static_cast<std::ptrdiff_t>(oldCount));
    shown_.insert(shown_.begin() + static_cast<std::ptrdiff_t>(prefix), lines.begin(), lines.end());
  }
  SyncSelectionFromView();
}

void EditorWidget::SyncSelectionFromView() {
  // The screen selects exactly the block, with the cursor at the block's end nearest to the
  // view's cursor; the view then takes the screen's cursor, so both say the same.
  const zebide::ViewState state = view_->State();
  zebide::TextPos anchor = state.cursor;
  zebide::TextPos at = state.cursor;
  if (state.HasBlock()) {
    const bool atStart = state.cursor == state.blockStart;
    anchor = atStart ? state.blockEnd : state.blockStart;
    at = atStart ? state.blockStart : state.blockEnd;
  }
  QTextCursor cursor(document());
  cursor.setPosition(PositionOf(anchor));
  cursor.setPosition(PositionOf(at), QTextCursor::KeepAnchor);
  {
    FlagScope scope(syncing_);
    setTextCursor(cursor);
  }
  if (cursor.hasSelection())
    view_->Select(TextPosAt(cursor.anchor()), TextPosAt(cursor.position()));
  else
    view_->SetCursor(TextPosAt(cursor.position()));
  ensureCursorVisible();
  emit StatusChanged();
}

}  // namespace ide::qt
