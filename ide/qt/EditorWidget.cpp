#include "ide/qt/EditorWidget.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
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

// Characters that Qt's text document takes for the end of a line (or of a frame).
bool SplitsLines(QChar c) {
  return c == QLatin1Char('\r') || c == QChar::ParagraphSeparator || c.unicode() == 0xFDD0 ||
         c.unicode() == 0xFDD1;
}

// A line as the screen shows it: characters that would split it are shown by symbols.
QString Displayed(const LineCodec& codec, std::string_view bytes) {
  QString text = codec.Decode(bytes);
  for (QChar& c : text) {
    if (!SplitsLines(c)) continue;
    c = c == QLatin1Char('\r')           ? QChar(0x240D)
        : c == QChar::ParagraphSeparator ? QChar(0x00B6)
                                         : QChar(0xFFFD);
  }
  return text;
}

}  // namespace

EditorWidget::EditorWidget(zebide::Ide& ide, std::shared_ptr<zebide::EditView> view,
                           LineCodec codec, QWidget* parent)
    : QPlainTextEdit(parent), ide_(ide), view_(std::move(view)), codec_(codec) {
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setUndoRedoEnabled(false);  // the document keeps the one undo history
  setTabStopDistance(fontMetrics().horizontalAdvance(QLatin1Char(' ')) * view_->TabWidth());
  ResetFromDocument();

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
  const auto line = static_cast<std::size_t>(block.blockNumber());
  const std::string& bytes = line < shown_.size() ? shown_[line].text : std::string();
  return {block.blockNumber() + 1, codec_.ByteOffset(bytes, chars) + 1};
}

// ---- Screen to view ---------------------------------------------------------------------------

void EditorWidget::PushSelectionToView() {
  const QTextCursor cursor = textCursor();
  const zebide::TextPos at = TextPosAt(cursor.position());
  if (cursor.hasSelection())
    view_->Select(TextPosAt(cursor.anchor()), at);
  else
    view_->SetCursor(at);
}

void EditorWidget::OnCursorMoved() {
  if (syncing_) return;
  PushSelectionToView();
  emit StatusChanged();
}

void EditorWidget::OnContentsChange(int position, int charsRemoved, int charsAdded) {
  if (syncing_) return;
  try {
    QTextDocument* doc = document();
    const int end = doc->characterCount() - 1;  // the position after the last character
    position = std::clamp(position, 0, end);
    const QTextBlock firstBlock = doc->findBlock(position);
    const int first = firstBlock.blockNumber();

    // The last line the change touched before it: walk the lines as they were shown, from the
    // change's start, over the characters it removed. (Qt may report more than changed, the
    // document's final separator included; the walk stops at the last line.)
    std::size_t oldLast = static_cast<std::size_t>(first);
    int remaining = (position - firstBlock.position()) + charsRemoved;
    while (oldLast + 1 < shown_.size()) {
      const int length = static_cast<int>(codec_.Decode(shown_[oldLast].text).size());
      if (remaining <= length) break;
      remaining -= length + 1;  // the line and its break
      ++oldLast;
    }
    const int newLast = doc->findBlock(std::min(position + charsAdded, end)).blockNumber();

    zebide::Document& document = view_->GetDocument();
    const std::size_t oldCount = oldLast - static_cast<std::size_t>(first) + 1;
    std::vector<zebide::Line> lines;
    bool lossy = false;
    for (int b = first; b <= newLast; ++b) {
      const QString text = doc->findBlockByNumber(b).text();
      lossy = lossy || !codec_.Holds(text);
      zebide::Line line;
      line.text = codec_.Encode(text);
      // New line breaks take the file's line end; the change's last line keeps the one it had.
      line.end = b == newLast ? shown_[oldLast].end : document.Buffer().PreferredLineEnd();
      lines.push_back(std::move(line));
    }

    const zebide::ViewState before = view_->State();
    zebide::ViewState after;
    after.cursor = TextPosAt(std::min(position + charsAdded, end));
    after.blockStart = after.blockEnd = after.cursor;

    const auto at = shown_.begin() + first;
    shown_.erase(at, at + static_cast<std::ptrdiff_t>(oldCount));
    shown_.insert(shown_.begin() + first, lines.begin(), lines.end());
    {
      FlagScope scope(syncing_);
      document.Edit(static_cast<std::size_t>(first), oldCount, std::move(lines), before, after);
    }
    // What the file's encoding cannot hold was stored as "?": show what was stored, once Qt has
    // finished this change.
    if (lossy) QTimer::singleShot(0, this, &EditorWidget::ResetFromDocument);
  } catch (...) {
    // The screen and the document must not stay apart: show the document as it is.
    QTimer::singleShot(0, this, &EditorWidget::ResetFromDocument);
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

void EditorWidget::ResetFromDocument() {
  shown_ = LinesOf(view_->GetDocument().Buffer());
  QStringList texts;
  texts.reserve(static_cast<qsizetype>(shown_.size()));
  readOnlyReason_.clear();
  for (const auto& line : shown_) {
    const QString decoded = codec_.Decode(line.text);
    if (readOnlyReason_.isEmpty() && std::any_of(decoded.begin(), decoded.end(), SplitsLines))
      readOnlyReason_ =
          tr("read-only: line %1 holds a character the editor would take for a line break")
              .arg(texts.size() + 1);
    texts << Displayed(codec_, line.text);
  }
  {
    FlagScope scope(syncing_);
    setPlainText(texts.join(QLatin1Char('\n')));
    setReadOnly(!readOnlyReason_.isEmpty());
  }
  // The view's cursor and block stand; the screen shows them again.
  SyncSelectionFromView();
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
  if (prefix == oldSize && prefix == newSize) return;

  const std::size_t oldCount = oldSize - prefix - suffix;
  const std::size_t newCount = newSize - prefix - suffix;
  std::vector<zebide::Line> lines;
  QStringList texts;
  for (std::size_t i = prefix; i < prefix + newCount; ++i) {
    lines.push_back(buffer.LineAt(i));
    const QString decoded = codec_.Decode(lines.back().text);
    if (std::any_of(decoded.begin(), decoded.end(), SplitsLines)) {
      ResetFromDocument();  // the new text cannot be edited line for line
      return;
    }
    texts << decoded;
  }
  {
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
  // Qt moved the selection with the text it replaced; the view follows the screen. A command
  // that sets the view's block itself shows it afterwards with SyncSelectionFromView.
  PushSelectionToView();
  emit StatusChanged();
}

bool EditorWidget::InStep() const {
  const zebide::TextBuffer& buffer = view_->GetDocument().Buffer();
  if (shown_.size() != buffer.LineCount()) return false;
  if (document()->blockCount() != static_cast<int>(shown_.size())) return false;
  QTextBlock block = document()->begin();
  for (std::size_t i = 0; i < shown_.size(); ++i, block = block.next()) {
    if (!(shown_[i] == buffer.LineAt(i))) return false;
    if (block.text() != Displayed(codec_, shown_[i].text)) return false;
  }
  const QTextCursor cursor = textCursor();
  const zebide::ViewState& state = view_->State();
  if (state.cursor != TextPosAt(cursor.position())) return false;
  if (cursor.hasSelection() != state.HasBlock()) return false;
  if (!cursor.hasSelection()) return true;
  const zebide::TextPos a = TextPosAt(cursor.selectionStart());
  const zebide::TextPos b = TextPosAt(cursor.selectionEnd());
  return a == state.blockStart && b == state.blockEnd;
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
  PushSelectionToView();
  ensureCursorVisible();
  emit StatusChanged();
}

}  // namespace ide::qt
