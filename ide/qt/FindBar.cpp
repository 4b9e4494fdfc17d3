#include "ide/qt/FindBar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ide/qt/DocumentScreen.h"
#include "ide/qt/EditorWidget.h"

namespace zeb {

namespace {

// Text as the pane holds it: UTF-8, or Latin-1 bytes for a Latin-1 document.
QByteArray ScreenText(const EditorWidget& editor, const QString& text) {
  return editor.Screen().Encoding() == ScreenEncoding::Latin1 ? text.toLatin1() : text.toUtf8();
}

}  // namespace

FindBar::FindBar(QWidget* parent) : QWidget(parent) {
  find_ = new QLineEdit(this);
  find_->setPlaceholderText(tr("Find"));
  replace_ = new QLineEdit(this);
  replace_->setPlaceholderText(tr("Replace with"));
  matchCase_ = new QCheckBox(tr("Match &case"), this);
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

  connect(find_, &QLineEdit::returnPressed, this, &FindBar::FindNext);
  connect(next, &QPushButton::clicked, this, &FindBar::FindNext);
  connect(previous, &QPushButton::clicked, this, &FindBar::FindPrevious);
  connect(replace_, &QLineEdit::returnPressed, this, &FindBar::ReplaceOne);
  connect(one, &QPushButton::clicked, this, &FindBar::ReplaceOne);
  connect(all, &QPushButton::clicked, this, &FindBar::ReplaceAll);
  connect(close, &QPushButton::clicked, this, &QWidget::hide);
  hide();
}

void FindBar::Open(bool replace) {
  replaceRow_->setVisible(replace);
  note_->clear();
  show();
  find_->setFocus();
  find_->selectAll();
}

void FindBar::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    hide();
    if (editor_ != nullptr) editor_->setFocus();
    return;
  }
  QWidget::keyPressEvent(event);
}

bool FindBar::Find(bool forward, bool fromSelectionStart) {
  note_->clear();
  if (editor_ == nullptr || find_->text().isEmpty()) return false;
  EditorWidget& editor = *editor_;
  const QByteArray needle = ScreenText(editor, find_->text());
  const long length = editor.Send(QsciScintillaBase::SCI_GETLENGTH);
  const long selectionStart = std::min(editor.Anchor(), editor.Caret());
  const long selectionEnd = std::max(editor.Anchor(), editor.Caret());
  editor.Send(QsciScintillaBase::SCI_SETSEARCHFLAGS,
              matchCase_->isChecked() ? unsigned{QsciScintillaBase::SCFIND_MATCHCASE} : 0U);
  const auto search = [&](long from, long to) {
    editor.Send(QsciScintillaBase::SCI_SETTARGETRANGE, static_cast<unsigned long>(from), to);
    return editor.SendScintilla(QsciScintillaBase::SCI_SEARCHINTARGET,
                                static_cast<unsigned long>(needle.size()), needle.constData());
  };
  long found = forward ? search(fromSelectionStart ? selectionStart : selectionEnd, length)
                       : search(selectionStart, 0);
  if (found < 0) found = forward ? search(0, length) : search(length, 0);  // wrap around
  if (found < 0) {
    note_->setText(tr("Not found"));
    return false;
  }
  const long end = editor.Send(QsciScintillaBase::SCI_GETTARGETEND);
  editor.SetSelection(found, end);
  editor.PushSelectionToView();
  editor.Screen().EndRun();
  return true;
}

bool FindBar::FindNext() {
  return Find(true, false);
}

bool FindBar::FindPrevious() {
  return Find(false, false);
}

void FindBar::ReplaceOne() {
  if (editor_ == nullptr || find_->text().isEmpty()) return;
  EditorWidget& editor = *editor_;
  // The selection is replaced only when it is a match; then the next match is selected.
  const long start = std::min(editor.Anchor(), editor.Caret());
  const long end = std::max(editor.Anchor(), editor.Caret());
  if (start == end || !Find(true, true) || std::min(editor.Anchor(), editor.Caret()) != start ||
      std::max(editor.Anchor(), editor.Caret()) != end)
    return;
  const QByteArray with = ScreenText(editor, replace_->text());
  {
    DocumentScreen::UserAction action(editor.Screen(), editor);
    editor.Send(QsciScintillaBase::SCI_SETTARGETRANGE, static_cast<unsigned long>(start), end);
    editor.SendScintilla(QsciScintillaBase::SCI_REPLACETARGET,
                         static_cast<unsigned long>(with.size()), with.constData());
  }
  editor.SetSelection(start + with.size(), start + with.size());
  editor.PushSelectionToView();
  FindNext();
}

int FindBar::ReplaceAll() {
  if (editor_ == nullptr || find_->text().isEmpty()) return 0;
  EditorWidget& editor = *editor_;
  const QByteArray needle = ScreenText(editor, find_->text());
  const QByteArray with = ScreenText(editor, replace_->text());
  editor.Send(QsciScintillaBase::SCI_SETSEARCHFLAGS,
              matchCase_->isChecked() ? unsigned{QsciScintillaBase::SCFIND_MATCHCASE} : 0U);
  int count = 0;
  long from = 0;
  {
    DocumentScreen::UserAction action(editor.Screen(), editor);
    while (true) {
      const long length = editor.Send(QsciScintillaBase::SCI_GETLENGTH);
      editor.Send(QsciScintillaBase::SCI_SETTARGETRANGE, static_cast<unsigned long>(from), length);
      const long found =
          editor.SendScintilla(QsciScintillaBase::SCI_SEARCHINTARGET,
                               static_cast<unsigned long>(needle.size()), needle.constData());
      if (found < 0) break;
      editor.SendScintilla(QsciScintillaBase::SCI_REPLACETARGET,
                           static_cast<unsigned long>(with.size()), with.constData());
      from = found + with.size();
      ++count;
    }
  }
  editor.PushSelectionToView();
  note_->setText(tr("%n replaced", nullptr, count));
  return count;
}

}  // namespace zeb
