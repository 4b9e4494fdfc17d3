#include "ide/qt/SearchHighlight.h"

#include <QColor>
#include <algorithm>

#include "ide/core/EditView.h"
#include "ide/qt/DocumentScreen.h"
#include "ide/qt/EditorWidget.h"

namespace zeb {

namespace {

using Base = QsciScintillaBase;

unsigned long U(long value) {
  return static_cast<unsigned long>(std::max(0L, value));
}

// The first and last lines of the document a pane shows.
std::pair<long, long> LinesShown(const EditorWidget& pane) {
  const long top = pane.Send(Base::SCI_GETFIRSTVISIBLELINE);
  const long first = pane.Send(Base::SCI_DOCLINEFROMVISIBLE, U(top));
  const long last =
      pane.Send(Base::SCI_DOCLINEFROMVISIBLE, U(top + pane.Send(Base::SCI_LINESONSCREEN) + 1));
  return {first, last};
}

void DefineIndicator(EditorWidget& pane) {
  pane.Send(Base::SCI_INDICSETSTYLE, SearchHighlight::kIndicator, Base::INDIC_ROUNDBOX);
  // Amber, translucent, so that the selected match stays apart from the others.
  pane.setIndicatorForegroundColor(QColor(0xF0, 0xA8, 0x00, 100), SearchHighlight::kIndicator);
  pane.Send(Base::SCI_INDICSETOUTLINEALPHA, SearchHighlight::kIndicator, 200);
  pane.Send(Base::SCI_INDICSETUNDER, SearchHighlight::kIndicator, 1);
}

}  // namespace

void SearchHighlight::Show(EditorWidget* editor, const QByteArray& needle, int flags) {
  if (editor != editor_) {
    Clear();
    editor_ = editor;
    if (editor_ == nullptr) return;
    for (EditorWidget* pane : editor_->Screen().Panes()) {
      DefineIndicator(*pane);
      connections_.push_back(
          connect(pane, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int updated) {
            if ((updated & (Base::SC_UPDATE_CONTENT | Base::SC_UPDATE_V_SCROLL)) != 0) Mark();
          }));
    }
  }
  needle_ = needle;
  flags_ = flags;
  Mark();
}

void SearchHighlight::Clear() {
  for (const QMetaObject::Connection& connection : connections_)
    disconnect(connection);
  connections_.clear();
  if (editor_ != nullptr) {
    editor_->Send(Base::SCI_SETINDICATORCURRENT, kIndicator);
    editor_->Send(Base::SCI_INDICATORCLEARRANGE, 0, editor_->Send(Base::SCI_GETLENGTH));
  }
  editor_ = nullptr;
  needle_.clear();
  marked_ = {};
}

SearchHighlight::Marking SearchHighlight::Wanted() const {
  Marking wanted{needle_,
                 flags_,
                 {},
                 editor_->Send(Base::SCI_GETLENGTH),
                 editor_->View()->GetDocument().History().Version()};
  for (const EditorWidget* pane : editor_->Screen().Panes())
    wanted.lines.push_back(LinesShown(*pane));
  return wanted;
}

void SearchHighlight::Mark() {
  if (editor_ == nullptr) return;
  const Marking wanted = Wanted();
  if (wanted == marked_) return;
  marked_ = wanted;
  EditorWidget& editor = *editor_;
  const long length = wanted.length;
  editor.Send(Base::SCI_SETINDICATORCURRENT, kIndicator);
  editor.Send(Base::SCI_INDICATORCLEARRANGE, 0, length);
  if (needle_.isEmpty()) return;
  editor.Send(Base::SCI_SETSEARCHFLAGS, static_cast<unsigned long>(flags_));
  for (const auto& [first, last] : wanted.lines) {
    const long end = editor.Send(Base::SCI_GETLINEENDPOSITION, U(last));
    long from = editor.Send(Base::SCI_POSITIONFROMLINE, U(first));
    while (from <= end) {
      editor.Send(Base::SCI_SETTARGETRANGE, U(from), end);
      const long found =
          editor.SendScintilla(Base::SCI_SEARCHINTARGET, static_cast<unsigned long>(needle_.size()),
                               needle_.constData());
      if (found < 0) break;
      const long foundEnd = editor.Send(Base::SCI_GETTARGETEND);
      if (foundEnd > found) {
        editor.Send(Base::SCI_INDICATORFILLRANGE, U(found), foundEnd - found);
        from = foundEnd;
      } else {
        // An empty match (a regular expression's "^") marks nothing and moves on.
        const long next = editor.Send(Base::SCI_POSITIONAFTER, U(found));
        if (next <= found) break;
        from = next;
      }
    }
  }
}

std::vector<std::pair<long, long>> SearchHighlight::Marked(const EditorWidget& editor) {
  std::vector<std::pair<long, long>> ranges;
  const long length = editor.Send(Base::SCI_GETLENGTH);
  long at = 0;
  while (at < length) {
    const long end = editor.Send(Base::SCI_INDICATOREND, kIndicator, at);
    if (editor.Send(Base::SCI_INDICATORVALUEAT, kIndicator, at) != 0) ranges.emplace_back(at, end);
    if (end <= at) break;
    at = end;
  }
  return ranges;
}

}  // namespace zeb
