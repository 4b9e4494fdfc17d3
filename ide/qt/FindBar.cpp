#include "ide/qt/FindBar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <algorithm>

#include "ide/qt/DocumentScreen.h"
#include "ide/qt/EditorWidget.h"
#include "ide/qt/SearchHighlight.h"

namespace zeb {

namespace {

using Base = QsciScintillaBase;

// Text as the pane holds it: UTF-8, or Latin-1 bytes for a Latin-1 document.
QByteArray ScreenText(const EditorWidget& editor, const QString& text) {
  return editor.Screen().Encoding() == ScreenEncoding::Latin1 ? text.toLatin1() : text.toUtf8();
}

unsigned long U(long value) {
  return static_cast<unsigned long>(std::max(0L, value));
}

// The first match in [from, to) (backwards when to < from), its end in `end`; -1 for none, -2
// for an expression the component cannot read.
long Search(EditorWidget& editor, const QByteArray& needle, int flags, long from, long to,
            long& end) {
  editor.Send(Base::SCI_SETSEARCHFLAGS, static_cast<unsigned long>(flags));
  editor.Send(Base::SCI_SETTARGETRANGE, U(from), to);
  const long found = editor.SendScintilla(
      Base::SCI_SEARCHINTARGET, static_cast<unsigned long>(needle.size()), needle.constData());
  if (found < 0) {
    const bool invalid =
        found == -2 || editor.Send(Base::SCI_GETSTATUS) == Base::SC_STATUS_WARNREGEX;
    editor.Send(Base::SCI_SETSTATUS, 0);
    return invalid ? -2 : -1;
  }
  end = editor.Send(Base::SCI_GETTARGETEND);
  return found;
}

}  // namespace

FindBar::FindBar(QWidget* parent) : QWidget(parent), highlight_(new SearchHighlight(this)) {
  find_ = new QLineEdit(this);
  find_->setPlaceholderText(tr("Find"));
  find_->setClearButtonEnabled(true);
  replace_ = new QLineEdit(this);
  replace_->setPlaceholderText(tr("Replace with"));
  matchCase_ = new QCheckBox(tr("Match &case"), this);
  wholeWord_ = new QCheckBox(tr("&Whole word"), this);
  regex_ = new QCheckBox(tr("Regular e&xpression"), this);
  note_ = new QLabel(this);
  auto* next = new QPushButton(tr("&Next"), this);
  auto* previous = new QPushButton(tr("&Previous"), this);
  auto* close = new QPushButton(tr("Close"), this);
  auto* one = new QPushButton(tr("&Replace"), this);
  auto* all = new QPushButton(tr("Replace &All"), this);

  auto* findRow = new QHBoxLayout;
  findRow->addWidget(find_, 1);
  findRow->addWidget(next);
  findRow->addWidget(previous);
  findRow->addWidget(matchCase_);
  findRow->addWidget(wholeWord_);
  findRow->addWidget(regex_);
  findRow->addWidget(note_);
  findRow->addWidget(close);
  replaceRow_ = new QWidget(this);
  auto* replaceLayout = new QHBoxLayout(replaceRow_);
  replaceLayout->setContentsMargins(0, 0, 0, 0);
  replaceLayout->addWidget(replace_, 1);
  replaceLayout->addWidget(one);
  replaceLayout->addWidget(all);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 2, 4, 2);
  layout->addLayout(findRow);
  layout->addWidget(replaceRow_);

  connect(find_, &QLineEdit::textEdited, this, &FindBar::SearchAsTyped);
  connect(find_, &QLineEdit::returnPressed, this, &FindBar::FindNext);
  for (QCheckBox* box : {matchCase_, wholeWord_, regex_})
    connect(box, &QCheckBox::toggled, this, &FindBar::SearchAsTyped);
  connect(next, &QPushButton::clicked, this, &FindBar::FindNext);
  connect(previous, &QPushButton::clicked, this, &FindBar::FindPrevious);
  connect(replace_, &QLineEdit::returnPressed, this, &FindBar::ReplaceOne);
  connect(one, &QPushButton::clicked, this, &FindBar::ReplaceOne);
  connect(all, &QPushButton::clicked, this, &FindBar::ReplaceAll);
  connect(close, &QPushButton::clicked, this, &QWidget::hide);
  hide();
}

void FindBar::SetEditor(EditorWidget* editor) {
  if (editor == editor_) return;
  editor_ = editor;
  searchStart_ = -1;
  if (isVisible()) Highlight();
}

void FindBar::Open(bool replace) {
  replaceRow_->setVisible(replace);
  ShowResult(true);
  if (editor_ != nullptr) {
    const long start = std::min(editor_->Anchor(), editor_->Caret());
    const long end = std::max(editor_->Anchor(), editor_->Caret());
    searchStart_ = start;
    if (start < end && editor_->Send(Base::SCI_LINEFROMPOSITION, U(start)) ==
                           editor_->Send(Base::SCI_LINEFROMPOSITION, U(end))) {
      const QString selected = editor_->selectedText();
      find_->setText(regex_->isChecked() ? QRegularExpression::escape(selected) : selected);
    }
  }
  show();
  find_->setFocus();
  find_->selectAll();
  Highlight();
}

QString FindBar::Note() const {
  return note_->text();
}

void FindBar::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    hide();
    if (editor_ != nullptr) editor_->setFocus();
    return;
  }
  QWidget::keyPressEvent(event);
}

void FindBar::hideEvent(QHideEvent* event) {
  highlight_->Clear();
  QWidget::hideEvent(event);
}

int FindBar::Flags() const {
  int flags = 0;
  if (matchCase_->isChecked()) flags |= Base::SCFIND_MATCHCASE;
  if (wholeWord_->isChecked()) flags |= Base::SCFIND_WHOLEWORD;
  if (regex_->isChecked()) flags |= Base::SCFIND_REGEXP | Base::SCFIND_CXX11REGEX;
  return flags;
}

QByteArray FindBar::Needle() const {
  return editor_ != nullptr ? ScreenText(*editor_, find_->text()) : QByteArray();
}

void FindBar::Highlight() {
  highlight_->Show(editor_, Needle(), Flags());
}

void FindBar::ShowResult(bool found, bool invalid) {
  note_->setText(found ? QString() : invalid ? tr("Not a valid expression") : tr("Not found"));
  QPalette palette = find_->palette();
  palette.setColor(QPalette::Base,
                   found ? QWidget::palette().color(QPalette::Base) : QColor(0xFF, 0xD8, 0xD8));
  find_->setPalette(palette);
}

void FindBar::SearchAsTyped() {
  if (!isVisible()) return;
  Highlight();
  if (find_->text().isEmpty()) {
    ShowResult(true);
    return;
  }
  Find(true, From::SearchStart);
}

bool FindBar::Find(bool forward, From from) {
  ShowResult(true);
  if (editor_ == nullptr || find_->text().isEmpty()) return false;
  EditorWidget& editor = *editor_;
  const QByteArray needle = Needle();
  const int flags = Flags();
  const long length = editor.Send(Base::SCI_GETLENGTH);
  const long selectionStart = std::min(editor.Anchor(), editor.Caret());
  const long selectionEnd = std::max(editor.Anchor(), editor.Caret());
  long start = selectionEnd;
  if (from == From::SelectionStart) start = selectionStart;
  if (from == From::SearchStart) start = searchStart_ >= 0 ? searchStart_ : selectionStart;
  long end = 0;
  long found = forward ? Search(editor, needle, flags, start, length, end)
                       : Search(editor, needle, flags, selectionStart, 0, end);
  // An empty match where the search starts is the one found last: the next one is further on.
  if (forward && from == From::SelectionEnd && found == selectionEnd && end == found &&
      found < length)
    found =
        Search(editor, needle, flags, editor.Send(Base::SCI_POSITIONAFTER, U(found)), length, end);
  if (found == -1)  // wrap around
    found = forward ? Search(editor, needle, flags, 0, length, end)
                    : Search(editor, needle, flags, length, 0, end);
  if (found < 0) {
    ShowResult(false, found == -2);
    return false;
  }
  editor.SetSelection(found, end);
  editor.PushSelectionToView();
  editor.Screen().EndRun();
  // Typing goes on searching from where the search started; Next and Previous move that place.
  if (from != From::SearchStart) searchStart_ = found;
  return true;
}

bool FindBar::FindNext() {
  return Find(true, From::SelectionEnd);
}

bool FindBar::FindPrevious() {
  return Find(false, From::SelectionEnd);
}

void FindBar::ReplaceOne() {
  if (editor_ == nullptr || find_->text().isEmpty()) return;
  EditorWidget& editor = *editor_;
  // The selection is replaced only when it is a match; then the next match is selected.
  const long start = std::min(editor.Anchor(), editor.Caret());
  const long end = std::max(editor.Anchor(), editor.Caret());
  if (start == end || !Find(true, From::SelectionStart) ||
      std::min(editor.Anchor(), editor.Caret()) != start ||
      std::max(editor.Anchor(), editor.Caret()) != end)
    return;
  const QByteArray with = ScreenText(editor, replace_->text());
  long replaced = 0;
  {
    DocumentScreen::UserAction action(editor.Screen(), editor);
    // The target is the match just found, whose groups a regular expression's \1 refers to.
    replaced = editor.SendScintilla(
        regex_->isChecked() ? Base::SCI_REPLACETARGETRE : Base::SCI_REPLACETARGET,
        static_cast<unsigned long>(with.size()), with.constData());
  }
  editor.SetSelection(start + replaced, start + replaced);
  editor.PushSelectionToView();
  FindNext();
}

int FindBar::ReplaceAll() {
  if (editor_ == nullptr || find_->text().isEmpty()) return 0;
  EditorWidget& editor = *editor_;
  const QByteArray needle = Needle();
  const QByteArray with = ScreenText(editor, replace_->text());
  const int flags = Flags();
  const unsigned int replace =
      regex_->isChecked() ? Base::SCI_REPLACETARGETRE : Base::SCI_REPLACETARGET;
  int count = 0;
  long from = 0;
  bool invalid = false;
  {
    DocumentScreen::UserAction action(editor.Screen(), editor);
    while (true) {
      const long length = editor.Send(Base::SCI_GETLENGTH);
      if (from > length) break;
      long end = 0;
      const long found = Search(editor, needle, flags, from, length, end);
      invalid = found == -2;
      if (found < 0) break;
      editor.SendScintilla(replace, static_cast<unsigned long>(with.size()), with.constData());
      from = editor.Send(Base::SCI_GETTARGETEND);
      ++count;
      // After an empty match the search goes on from the next character.
      if (end == found) {
        if (from >= editor.Send(Base::SCI_GETLENGTH)) break;
        from = editor.Send(Base::SCI_POSITIONAFTER, U(from));
      }
    }
  }
  editor.PushSelectionToView();
  if (invalid)
    ShowResult(false, true);
  else
    note_->setText(tr("%n replaced", nullptr, count));
  return count;
}

}  // namespace zeb
