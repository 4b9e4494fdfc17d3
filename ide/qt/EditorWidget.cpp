#include "ide/qt/EditorWidget.h"

#include <Qsci/qscilexercpp.h>
#include <Qsci/qscilexerpascal.h>

#include <QFileInfo>
#include <QFontDatabase>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <algorithm>

#include "ide/app/Ide.h"
#include "ide/qt/DocumentScreen.h"
#include "ide/qt/EdgeGuard.h"
#include "ide/qt/EditorAccessibility.h"
#include "ide/qt/KeyTranslation.h"
#include "ide/qt/QtStrings.h"

namespace zeb {

namespace {

// Text a key press types: printable characters (a tab among them), nothing that edits otherwise.
bool IsTyping(const QString& text) {
  return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
    return c == QLatin1Char('\t') || (c.isPrint() && c.unicode() != 0x7F);
  });
}

// Selected text for the clipboard and the primary selection, turned into a string only when
// something asks for it: selecting a block of a large file must not convert all of its bytes.
class SelectedText final : public QMimeData {
 public:
  SelectedText(QByteArray bytes, bool utf8) : bytes_(std::move(bytes)), utf8_(utf8) {}

  bool hasFormat(const QString& mimeType) const override {
    return mimeType == kText || QMimeData::hasFormat(mimeType);
  }
  QStringList formats() const override { return QStringList(kText) + QMimeData::formats(); }

 protected:
  QVariant retrieveData(const QString& mimeType, QMetaType type) const override {
    if (mimeType != kText) return QMimeData::retrieveData(mimeType, type);
    return utf8_ ? QString::fromUtf8(bytes_) : QString::fromLatin1(bytes_);
  }

 private:
  static inline const QString kText = QStringLiteral("text/plain");
  QByteArray bytes_;
  bool utf8_;
};

unsigned long U(long value) {
  return static_cast<unsigned long>(std::max(0L, value));
}

QsciLexer* LexerFor(const std::string& path, QObject* parent) {
  const QString extension = QFileInfo(QString::fromStdString(path)).suffix().toLower();
  static const QStringList pascal = {QStringLiteral("pas"), QStringLiteral("dpr"),
                                     QStringLiteral("dpk"), QStringLiteral("inc")};
  static const QStringList cpp = {
      QStringLiteral("c"), QStringLiteral("cpp"), QStringLiteral("cc"), QStringLiteral("cxx"),
      QStringLiteral("h"), QStringLiteral("hpp"), QStringLiteral("hh"), QStringLiteral("hxx")};
  if (pascal.contains(extension)) return new QsciLexerPascal(parent);
  if (cpp.contains(extension)) return new QsciLexerCPP(parent);
  return nullptr;
}

}  // namespace

EditorWidget::EditorWidget(zeb::Ide& ide, std::shared_ptr<zeb::EditView> view,
                           DocumentScreen& screen, QWidget* parent)
    : QsciScintilla(parent), ide_(ide), view_(std::move(view)), screen_(screen) {
  InstallEditorAccessibility();
  const QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  setFont(font);
  setMarginsFont(font);
  setMarginType(0, QsciScintilla::NumberMargin);
  setMarginLineNumbers(0, true);
  setMarginWidth(1, 0);
  setCaretLineVisible(true);
  setCaretLineBackgroundColor(QColor(0xEE, 0xF3, 0xFB));
  setBraceMatching(QsciScintilla::SloppyBraceMatch);
  setTabWidth(view_->TabWidth());
  setIndentationsUseTabs(true);
  setAutoIndent(false);
  setWrapMode(QsciScintilla::WrapNone);
  Send(SCI_SETPASTECONVERTENDINGS, 1);
  Send(SCI_SETMULTIPLESELECTION, 0);
  // Highlighting text above the screen happens when the window is idle: a change at the top of
  // a large file shown at its end paints at once, its colours following.
  Send(SCI_SETIDLESTYLING, SC_IDLESTYLING_TOVISIBLE);
  ApplyLexer();

  screen_.AddPane(*this);
  // New line breaks take the document's line end: its first one, LF when it has none.
  const zeb::Document& document = view_->GetDocument();
  const bool crlf = document.LineCount() > 1 && document.LineOffset(1) >= 2 &&
                    document.Bytes(document.LineOffset(1) - 2, 2) == std::string("\r\n");
  setEolMode(crlf ? QsciScintilla::EolWindows : QsciScintilla::EolUnix);

  const auto fitMargin = [this] {
    setMarginWidth(0, QStringLiteral("0%1").arg(std::max(lines(), 99)));
  };
  fitMargin();
  connect(&screen_, &DocumentScreen::LinesChanged, this, fitMargin);
  connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int) { emit StatusChanged(); });
  connect(&screen_, &DocumentScreen::Reloaded, this, &EditorWidget::SyncSelectionFromView);
  SyncSelectionFromView();
}

EditorWidget::~EditorWidget() {
  screen_.RemovePane(*this);
}

void EditorWidget::ApplyLexer() {
  QsciLexer* lexer = LexerFor(view_->GetDocument().Path(), this);
  QsciLexer* old = this->lexer();
  if (lexer == nullptr) {
    setLexer(nullptr);
    delete old;
    return;
  }
  const QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  lexer->setDefaultFont(font);
  lexer->setFont(font, -1);
  setLexer(lexer);
  delete old;
}

// ---- Positions --------------------------------------------------------------------------------

long EditorWidget::PositionOf(zeb::TextPos pos) const {
  return screen_.PositionOf(pos);
}

zeb::TextPos EditorWidget::TextPosAt(long position) const {
  return screen_.TextPosAt(position);
}

long EditorWidget::Caret() const {
  return Send(SCI_GETCURRENTPOS);
}

long EditorWidget::Anchor() const {
  return Send(SCI_GETANCHOR);
}

int EditorWidget::CaretColumn() const {
  return static_cast<int>(Send(SCI_GETCOLUMN, static_cast<unsigned long>(Caret()))) + 1;
}

void EditorWidget::SetSelection(long anchor, long caret) {
  Send(SCI_SETSEL, static_cast<unsigned long>(anchor), caret);
  // Up and Down keep to the column the caret was put in, not one it stood in before.
  Send(SCI_CHOOSECARETX);
}

QMimeData* EditorWidget::toMimeData(const QByteArray& text, bool rectangular) const {
  if (rectangular) return QsciScintilla::toMimeData(text, rectangular);
  return new SelectedText(text, Send(SCI_GETCODEPAGE) == SC_CP_UTF8);
}

QByteArray EditorWidget::ScreenBytes() const {
  const long length = Send(SCI_GETLENGTH);
  const auto* text = reinterpret_cast<const char*>(Send(SCI_GETCHARACTERPOINTER));
  return QByteArray(text, static_cast<qsizetype>(length));
}

// ---- View and screen --------------------------------------------------------------------------

void EditorWidget::PushSelectionToView() {
  const long caret = Caret();
  const long anchor = Anchor();
  if (anchor == caret)
    view_->SetCursor(TextPosAt(caret));
  else
    view_->Select(TextPosAt(anchor), TextPosAt(caret));
}

void EditorWidget::SyncSelectionFromView() {
  // The screen selects exactly the block, the caret at the block's end nearest to the view's
  // cursor; the view then takes the screen's caret, so both say the same.
  const zeb::ViewState state = view_->State();
  zeb::TextPos anchor = state.cursor;
  zeb::TextPos at = state.cursor;
  if (state.HasBlock()) {
    const bool atStart = state.cursor == state.blockStart;
    anchor = atStart ? state.blockEnd : state.blockStart;
    at = atStart ? state.blockStart : state.blockEnd;
  }
  SetSelection(PositionOf(anchor), PositionOf(at));
  PushSelectionToView();
  emit StatusChanged();
}

bool EditorWidget::InStep() const {
  if (!screen_.InStep()) return false;
  const zeb::ViewState& state = view_->State();
  const long caret = Caret();
  const long anchor = Anchor();
  if (state.cursor != TextPosAt(caret)) return false;
  if ((anchor != caret) != state.HasBlock()) return false;
  if (anchor == caret) return true;
  return TextPosAt(std::min(anchor, caret)) == state.blockStart &&
         TextPosAt(std::max(anchor, caret)) == state.blockEnd;
}

// ---- Events -----------------------------------------------------------------------------------

void EditorWidget::MakeTopView() {
  screen_.SetActivePane(*this);
  if (ide_.TopView() != view_) ide_.Activate(view_);
}

bool EditorWidget::event(QEvent* event) {
  screen_.Flush();  // whatever the event does starts from a document that has the screen's text
  // Every key with a key code reaches keyPressEvent, and so the key bindings, before any of the
  // window's shortcuts; keyPressEvent offers the window what the bindings pass on.
  if (event->type() == QEvent::ShortcutOverride &&
      KeyCodeOf(*static_cast<QKeyEvent*>(event)) != 0) {
    event->accept();
    return true;
  }
  return QsciScintilla::event(event);
}

void EditorWidget::keyPressEvent(QKeyEvent* event) {
  const QString what =
      tr("The key %1 in %2")
          .arg(QKeySequence(event->keyCombination()).toString(QKeySequence::NativeText),
               DisplayName(view_->GetDocument()));
  if (!RunAtEdge(what, [this, event] { HandleKey(*event); })) event->accept();
}

void EditorWidget::HandleKey(QKeyEvent& event) {
  MakeTopView();
  PushSelectionToView();  // an add-in reads what the screen shows
  const TShortCut code = KeyCodeOf(event);
  if (code != 0) {
    switch (ide_.RouteKey(code)) {
      case zeb::KeyOutcome::Handled:
      case zeb::KeyOutcome::Faulted:
      case zeb::KeyOutcome::Pending:
        screen_.EndRun();
        SyncSelectionFromView();
        event.accept();
        return;
      case zeb::KeyOutcome::PassedOn:
      case zeb::KeyOutcome::NotBound:
        break;
    }
  }
  if (onKeyPassedOn && onKeyPassedOn(event)) {
    event.accept();
    return;
  }
  if (event.key() == Qt::Key_Backtab) {
    event.accept();  // Shift+Tab that no binding took does nothing
    return;
  }
  const Qt::KeyboardModifiers modifiers = event.modifiers();
  const bool command =
      (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
  if (command && IsTyping(event.text())) {
    event.accept();  // a key with Ctrl, Alt or Super is a command; one that nothing took types
                     // nothing
    return;
  }
  DocumentScreen::Run run = DocumentScreen::Run::None;
  if (!command && IsTyping(event.text()))
    run = DocumentScreen::Run::Typing;
  else if (!command && Anchor() == Caret() && event.key() == Qt::Key_Backspace)
    run = DocumentScreen::Run::Backspace;
  else if (!command && Anchor() == Caret() && event.key() == Qt::Key_Delete &&
           (modifiers & Qt::ShiftModifier) == 0)
    run = DocumentScreen::Run::Delete;
  {
    DocumentScreen::UserAction action(screen_, *this, run);
    QsciScintilla::keyPressEvent(&event);
  }
  PushSelectionToView();
  emit StatusChanged();
}

void EditorWidget::inputMethodEvent(QInputMethodEvent* event) {
  MakeTopView();
  {
    DocumentScreen::UserAction action(
        screen_, *this,
        IsTyping(event->commitString()) ? DocumentScreen::Run::Typing : DocumentScreen::Run::None);
    QsciScintilla::inputMethodEvent(event);
  }
  PushSelectionToView();
  emit StatusChanged();
}

void EditorWidget::focusInEvent(QFocusEvent* event) {
  MakeTopView();
  QsciScintilla::focusInEvent(event);
}

void EditorWidget::mousePressEvent(QMouseEvent* event) {
  MakeTopView();
  {
    // The middle button pastes the primary selection.
    DocumentScreen::UserAction action(screen_, *this);
    QsciScintilla::mousePressEvent(event);
  }
  PushSelectionToView();
}

void EditorWidget::mouseReleaseEvent(QMouseEvent* event) {
  QsciScintilla::mouseReleaseEvent(event);
  PushSelectionToView();
  emit StatusChanged();
}

void EditorWidget::contextMenuEvent(QContextMenuEvent* event) {
  MakeTopView();
  {
    DocumentScreen::UserAction action(screen_, *this);
    QsciScintilla::contextMenuEvent(event);
  }
  PushSelectionToView();
}

void EditorWidget::dropEvent(QDropEvent* event) {
  MakeTopView();
  {
    DocumentScreen::UserAction action(screen_, *this);
    QsciScintilla::dropEvent(event);
  }
  PushSelectionToView();
}

// ---- Highlighting ----------------------------------------------------------------------------

void EditorWidget::paintEvent(QPaintEvent* event) {
  StyleLinesOnScreen();
  QsciScintilla::paintEvent(event);
}

void EditorWidget::StyleLinesOnScreen() {
  const long styled = Send(SCI_GETENDSTYLED);
  const long first = Send(SCI_DOCLINEFROMVISIBLE, U(Send(SCI_GETFIRSTVISIBLELINE)));
  const long last = first + Send(SCI_LINESONSCREEN) + 1;
  const long length = Send(SCI_GETLENGTH);
  const long end = last + 1 >= Send(SCI_GETLINECOUNT)
                       ? length
                       : Send(SCI_POSITIONFROMLINE, static_cast<unsigned long>(last + 1));
  if (styled >= end || lexer() == nullptr) return;
  const long start =
      std::max(styled, Send(SCI_POSITIONFROMLINE, static_cast<unsigned long>(first)));
  // Styling marks the text for painting: the same lines, unchanged, are styled once.
  const std::size_t version = view_->GetDocument().History().Version();
  if (start == guessedFrom_ && end == guessedTo_ && version == guessedVersion_) return;
  guessedFrom_ = start;
  guessedTo_ = end;
  guessedVersion_ = version;
  Send(SCI_COLOURISE, U(start), end);
  // The component goes on styling in order from where it was: it will style these lines again,
  // knowing what comes before them.
  Send(SCI_STARTSTYLING, U(styled), 0);
}

}  // namespace zeb
