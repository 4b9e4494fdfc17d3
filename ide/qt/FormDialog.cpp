#include "ide/qt/FormDialog.h"

#include <QApplication>
#include <QFont>
#include <QGuiApplication>
#include <QPalette>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <algorithm>

#include "runtime/Controls.h"
#include "runtime/Forms.h"

namespace zeb {

namespace {

QString FromUtf8(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The memo's lines as one text; each line is shown as it is, a line break inside it included.
QString JoinLines(const TStrings& lines) {
  QStringList list;
  for (const auto& line : lines.Lines())
    list << FromUtf8(line);
  return list.join(QLatin1Char('\n'));
}

// A system colour (top bit set) names an entry of the platform's palette.
QColor ColorOf(TColor color, const QPalette& palette) {
  if (color == clBtnFace) return palette.color(QPalette::Button);
  if (color == clWindowText) return palette.color(QPalette::WindowText);
  if (color == clWindow) return palette.color(QPalette::Base);
  const auto rgb = static_cast<std::uint32_t>(color);
  // The form library stores colours as 0x00BBGGRR.
  return QColor(static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                static_cast<int>((rgb >> 16) & 0xFF));
}

QFont FontOf(const TFont& font) {
  QFont f(FromUtf8(font.Name));
  // A negative height is the character height in pixels; a positive one the cell height.
  f.setPixelSize(std::max(1, font.Height < 0 ? -font.Height : font.Height));
  f.setBold((static_cast<int>(font.Style) & static_cast<int>(TFontStyle::Bold)) != 0);
  f.setItalic((static_cast<int>(font.Style) & static_cast<int>(TFontStyle::Italic)) != 0);
  f.setUnderline((static_cast<int>(font.Style) & static_cast<int>(TFontStyle::Underline)) != 0);
  f.setStrikeOut((static_cast<int>(font.Style) & static_cast<int>(TFontStyle::StrikeOut)) != 0);
  return f;
}

}  // namespace

void InstallFontSubstitutions() {
  // Noto first: at the dialog's 12 pixels NanumGothic draws "." like ",".
  const QStringList korean = {QStringLiteral("Noto Sans CJK KR"), QStringLiteral("Noto Sans KR"),
                              QStringLiteral("NanumGothic"), QStringLiteral("NanumBarunGothic")};
  for (const QString& name :
       {QStringLiteral("굴림"), QStringLiteral("Gulim"), QStringLiteral("굴림체"),
        QStringLiteral("GulimChe"), QStringLiteral("돋움"), QStringLiteral("Dotum")})
    QFont::insertSubstitutions(name, korean);
  QFont::insertSubstitutions(QStringLiteral("Tahoma"), {QStringLiteral("DejaVu Sans")});
}

FormDialog::FormDialog(TForm& form, QWidget* parent) : QDialog(parent), form_(form) {
  setObjectName(FromUtf8(form.Name));
  setWindowTitle(FromUtf8(form.Caption));
  setModal(true);
  setFont(FontOf(form.Font));

  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, ColorOf(form.Color, palette));
  palette.setColor(QPalette::WindowText, ColorOf(form.Font.Color, palette));
  setPalette(palette);
  setAutoFillBackground(true);

  if (form.BorderStyle == TFormBorderStyle::bsDialog ||
      form.BorderStyle == TFormBorderStyle::bsSingle) {
    // A fixed frame: the client area keeps its stored size and only the close control remains.
    setFixedSize(form.ClientWidth, form.ClientHeight);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  } else {
    resize(form.ClientWidth, form.ClientHeight);
  }

  std::vector<TControl*> controls = form.Controls();
  std::stable_sort(controls.begin(), controls.end(),
                   [](const TControl* a, const TControl* b) { return a->TabOrder < b->TabOrder; });
  QWidget* previous = nullptr;
  for (TControl* control : controls) {
    auto* memo = dynamic_cast<TMemo*>(control);
    if (memo == nullptr) continue;  // the only control the form library has to draw
    QPlainTextEdit* editor = AddMemo(*memo);
    if (previous != nullptr) setTabOrder(previous, editor);
    previous = editor;
  }
  if (!memos_.empty()) memos_.front()->setFocus();

  if (form.Position == TPosition::poScreenCenter || form.Position == TPosition::poMainFormCenter) {
    // Centred over the IDE window, which is where the user looks; on the screen without one.
    const QWidget* over = parent != nullptr ? parent->window() : nullptr;
    const QScreen* screen = over != nullptr ? over->screen() : QGuiApplication::primaryScreen();
    const QRect area = over != nullptr && over->isVisible() ? over->frameGeometry()
                       : screen != nullptr                  ? screen->availableGeometry()
                                                            : QRect();
    if (area.isValid()) move(area.center() - QPoint(form.ClientWidth / 2, form.ClientHeight / 2));
  } else {
    move(form.Left, form.Top);
  }
}

QPlainTextEdit* FormDialog::AddMemo(TMemo& memo) {
  auto* editor = new QPlainTextEdit(this);
  editor->setObjectName(FromUtf8(memo.Name));
  editor->setGeometry(memo.Left, memo.Top, memo.Width, memo.Height);
  editor->setPlainText(JoinLines(memo.Lines));
  editor->setReadOnly(memo.ReadOnly);
  editor->setLineWrapMode(memo.WordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  const bool horizontal =
      memo.ScrollBars == TScrollStyle::ssHorizontal || memo.ScrollBars == TScrollStyle::ssBoth;
  const bool vertical =
      memo.ScrollBars == TScrollStyle::ssVertical || memo.ScrollBars == TScrollStyle::ssBoth;
  editor->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  editor->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  editor->setAttribute(Qt::WA_InputMethodEnabled, true);
  editor->moveCursor(QTextCursor::Start);
  memos_.push_back(editor);
  memoControls_.push_back(&memo);
  return editor;
}

void FormDialog::StoreIntoForm() {
  for (std::size_t i = 0; i < memos_.size(); ++i) {
    TStrings& lines = memoControls_[i]->Lines;
    lines.Clear();
    const QString text = memos_[i]->toPlainText();
    if (text.isEmpty()) continue;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
      const QByteArray utf8 = line.toUtf8();
      lines.Add(std::string(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    }
  }
}

}  // namespace zeb
