#include "ide/qt/DocumentScreen.h"

#include <QTimer>
#include <algorithm>
#include <string_view>

#include "ide/core/EditView.h"
#include "ide/qt/EdgeGuard.h"
#include "ide/qt/EditorWidget.h"
#include "ide/qt/QtStrings.h"
#include "ide/text/Document.h"
#include "ide/text/TextChange.h"

namespace zeb {

namespace {

// A pause longer than this ends a run of keys.
constexpr qint64 kRunPauseMs = 1000;

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

// The document's text in place, without a copy; valid until the document changes.
std::string_view AllBytes(const zeb::Document& document) {
  return document.Buffer().Span(0, document.ByteSize());
}

unsigned long U(long value) {
  return static_cast<unsigned long>(std::max(0L, value));
}

}  // namespace

DocumentScreen::DocumentScreen(zeb::Document& document, QObject* parent)
    : QObject(parent), document_(document), encoding_(GuessEncoding(AllBytes(document))) {}

DocumentScreen::~DocumentScreen() = default;

// ---- Panes ------------------------------------------------------------------------------------

void DocumentScreen::ListenTo(EditorWidget* pane) {
  if (listening_ != nullptr)
    disconnect(listening_, &QsciScintillaBase::SCN_MODIFIED, this, nullptr);
  listening_ = pane;
  if (pane == nullptr) return;
  // Only the announcements before a change: the component's notifications after one make it
  // convert the changed text and count the characters up to it, a cost in proportion to the
  // document's size on every key press. Panes that do not listen hear nothing at all.
  pane->Send(QsciScintillaBase::SCI_SETMODEVENTMASK,
             QsciScintillaBase::SC_MOD_BEFOREINSERT | QsciScintillaBase::SC_MOD_BEFOREDELETE);
  connect(pane, &QsciScintillaBase::SCN_MODIFIED, this,
          [this](int position, int type, const char*, int length, int, int, int, int, int, int) {
            OnModified(position, type, length);
          });
}

void DocumentScreen::AddPane(EditorWidget& pane) {
  if (panes_.empty()) {
    panes_.push_back(&pane);
    ListenTo(&pane);
    active_ = &pane;
    // The undo history is the IDE's; the component keeps none.
    pane.Send(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 0);
    Load();
    return;
  }
  Flush();
  pane.Send(QsciScintillaBase::SCI_SETMODEVENTMASK, 0);
  pane.setDocument(panes_.front()->document());
  panes_.push_back(&pane);
}

void DocumentScreen::RemovePane(EditorWidget& pane) {
  Flush();
  panes_.erase(std::remove(panes_.begin(), panes_.end(), &pane), panes_.end());
  if (active_ == &pane) active_ = panes_.empty() ? nullptr : panes_.front();
  if (listening_ == &pane) ListenTo(panes_.empty() ? nullptr : panes_.front());
}

// ---- Loading ----------------------------------------------------------------------------------

void DocumentScreen::Load() {
  if (listening_ == nullptr) return;
  Flush();
  EditorWidget& pane = *listening_;
  std::string converted;
  if (Converts(encoding_)) converted = ToScreen(encoding_, AllBytes(document_));
  const std::string_view screen = Converts(encoding_) ? converted : AllBytes(document_);
  {
    FlagScope scope(applying_);
    pane.Send(QsciScintillaBase::SCI_SETCODEPAGE,
              encoding_ == ScreenEncoding::Latin1
                  ? 0UL
                  : static_cast<unsigned long>(QsciScintillaBase::SC_CP_UTF8));
    const bool readOnly = pane.isReadOnly();
    pane.setReadOnly(false);
    pane.Send(QsciScintillaBase::SCI_CLEARALL);
    pane.Send(QsciScintillaBase::SCI_ALLOCATE, screen.size() + 1);
    pane.SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, screen.size(), screen.data());
    pane.setReadOnly(readOnly);
  }
  CheckLines();
  emit Reloaded();
}

bool DocumentScreen::SetEncoding(ScreenEncoding encoding) {
  if (encoding == encoding_) return true;
  if (encoding == ScreenEncoding::Cp949 && !IsCp949Text(AllBytes(document_))) return false;
  encoding_ = encoding;
  EndRun();
  Load();
  return true;
}

void DocumentScreen::CheckLines() {
  if (listening_ == nullptr) return;
  const long lines = listening_->Send(QsciScintillaBase::SCI_GETLINECOUNT);
  linesAgree_ = static_cast<std::size_t>(lines) == document_.LineCount();
  if (lines != shownLines_) {
    shownLines_ = lines;
    emit LinesChanged();
  }
}

// ---- Positions --------------------------------------------------------------------------------

long DocumentScreen::LineStart(std::size_t index) const {
  // The component breaks lines at a lone CR too; the document does not. Where that makes their
  // lines differ, the document's line offsets are the screen's (only unconverted text can).
  if (linesAgree_ || Converts(encoding_))
    return listening_->Send(QsciScintillaBase::SCI_POSITIONFROMLINE, index);
  return static_cast<long>(document_.LineOffset(index));
}

long DocumentScreen::PositionOf(zeb::TextPos pos) const {
  if (listening_ == nullptr) return 0;
  const auto line = static_cast<std::size_t>(
      std::clamp<std::int32_t>(pos.line, 1, static_cast<std::int32_t>(document_.LineCount())));
  const std::string_view text = document_.LineText(static_cast<std::int32_t>(line));
  const auto column = static_cast<std::size_t>(std::max(0, pos.col - 1));
  return LineStart(line - 1) + static_cast<long>(ScreenOffset(encoding_, text, column));
}

zeb::TextPos DocumentScreen::TextPosAt(long position) const {
  if (listening_ == nullptr) return {};
  std::size_t line = 0;
  if (linesAgree_ || Converts(encoding_)) {
    line = U(listening_->Send(QsciScintillaBase::SCI_LINEFROMPOSITION, U(position)));
  } else {
    std::size_t low = 0, high = document_.LineCount() - 1;
    while (low < high) {
      const std::size_t middle = (low + high + 1) / 2;
      if (document_.LineOffset(middle) <= U(position))
        low = middle;
      else
        high = middle - 1;
    }
    line = low;
  }
  line = std::min(line, document_.LineCount() - 1);
  const std::string_view text = document_.LineText(static_cast<std::int32_t>(line + 1));
  const std::size_t screenColumn = U(position - LineStart(line));
  return {static_cast<std::int32_t>(line + 1),
          static_cast<std::int32_t>(ByteOffset(encoding_, text, screenColumn) + 1)};
}

// ---- Screen to document -----------------------------------------------------------------------

DocumentScreen::UserAction::UserAction(DocumentScreen& screen, EditorWidget& pane, Run run)
    : screen_(screen), outer_(screen.actionDepth_ == 0) {
  if (outer_) screen_.Flush();
  ++screen_.actionDepth_;
  if (!outer_) return;
  screen_.active_ = &pane;
  screen_.actionRun_ = run;
  screen_.actionEdited_ = false;
  const zeb::TextPos anchor = screen_.TextPosAt(pane.Anchor());
  const zeb::TextPos caret = screen_.TextPosAt(pane.Caret());
  screen_.actionStart_ = {caret, std::min(anchor, caret), std::max(anchor, caret)};
}

DocumentScreen::UserAction::~UserAction() {
  if (outer_) screen_.Flush();
  --screen_.actionDepth_;
  if (!outer_) return;
  if (screen_.actionRun_ != Run::None && screen_.actionEdited_ && screen_.active_ != nullptr) {
    screen_.run_ = screen_.actionRun_;
    screen_.runEnd_ = screen_.active_->Caret();
    screen_.runSteps_ = screen_.document_.History().UndoCount();
    screen_.runClock_.start();
  } else if (screen_.actionEdited_) {
    screen_.EndRun();
  }
  screen_.actionRun_ = Run::None;
}

void DocumentScreen::OnModified(int position, int type, int length) {
  if (applying_) return;
  const bool insert = (type & QsciScintillaBase::SC_MOD_BEFOREINSERT) != 0;
  if (!insert && (type & QsciScintillaBase::SC_MOD_BEFOREDELETE) == 0) return;
  // The change announced before this one has been made by now.
  Flush();
  PendingChange change;
  change.insert = insert;
  change.position = position;
  change.length = length;
  change.from = TextPosAt(position);
  change.to = insert ? change.from : TextPosAt(position + length);
  pending_ = change;
  // A change outside a user action (the component's own menu, say) has no end to wait for.
  if (actionDepth_ == 0 && !flushQueued_) {
    flushQueued_ = true;
    QTimer::singleShot(0, this, [this] {
      flushQueued_ = false;
      if (!pending_) return;
      Flush();
      if (active_ != nullptr) active_->PushSelectionToView();
    });
  }
}

void DocumentScreen::Flush() {
  if (!pending_ || listening_ == nullptr) return;
  const PendingChange change = *pending_;
  pending_.reset();
  if (!change.insert) {
    Forward(change, std::string());
  } else {
    const auto* text = reinterpret_cast<const char*>(listening_->Send(
        QsciScintillaBase::SCI_GETRANGEPOINTER, U(change.position), change.length));
    const std::string shown(text != nullptr ? text : "", text != nullptr ? U(change.length) : 0);
    const std::string bytes = FromScreen(encoding_, shown);
    Forward(change, bytes);
    // The document stores line breaks as its own line end and what its encoding cannot hold as
    // "?": where that differs from what was typed, the screen shows what was stored.
    if (!reloadPending_ && ToScreen(encoding_, bytes) != shown) reloadPending_ = true;
    if (!reloadPending_ && !Converts(encoding_) &&
        document_.Bytes(static_cast<std::size_t>(change.position), bytes.size()) != bytes)
      reloadPending_ = true;
  }
  if (reloadPending_) ReloadLater();
}

void DocumentScreen::ReloadLater() {
  QTimer::singleShot(0, this, [this] {
    if (!reloadPending_) return;
    reloadPending_ = false;
    Load();
  });
}

bool DocumentScreen::ContinuesRun(const PendingChange& change, std::size_t steps) const {
  // Nothing else changed the history, the caret did not move, no pause.
  if (actionDepth_ == 0 || actionRun_ == Run::None || actionRun_ != run_ || runEnd_ < 0 ||
      steps != runSteps_ || runClock_.elapsed() >= kRunPauseMs)
    return false;
  switch (actionRun_) {
    case Run::Typing:
      return change.position == runEnd_;
    case Run::Backspace:
      return !change.insert && change.position + change.length == runEnd_;
    case Run::Delete:
      return !change.insert && change.position == runEnd_;
    case Run::None:
      break;
  }
  return false;
}

void DocumentScreen::Forward(const PendingChange& change, const std::string& bytes) {
  EditorWidget* pane = active_ != nullptr ? active_ : listening_;
  if (pane == nullptr) return;
  zeb::EditView& view = *pane->View();
  if (!document_.IsValid(change.from) || !document_.IsValid(change.to) ||
      !view.Select(change.from, change.to)) {
    // Inside a line end: not a change the document can take; show the document again.
    reloadPending_ = true;
    return;
  }
  const std::size_t before = document_.History().UndoCount();
  // A step joins the one before when it belongs to the same user action, or continues a run.
  const bool first = actionDepth_ > 0 && !actionEdited_;
  const bool join = (actionDepth_ > 0 && actionEdited_) || ContinuesRun(change, before);
  // This runs inside the component's own calls: a failure is told once they have returned, and
  // the screen then shows the document again.
  const bool made = RunAtEdge(
      tr("Changing the text of %1").arg(DisplayName(document_)),
      [&] {
        FlagScope scope(forwarding_);
        view.InsertText(bytes);
      },
      ReportTime::Later);
  if (!made) {
    reloadPending_ = true;
    return;
  }
  const std::size_t after = document_.History().UndoCount();
  if (after == before + 1) {
    if (join && before > 0) joined_.insert(after);
    if (first) startedFrom_[after] = actionStart_;
  }
  if (actionDepth_ > 0) actionEdited_ = true;
  CheckLines();
}

// ---- Document to screen -----------------------------------------------------------------------

void DocumentScreen::Apply(const zeb::TextChange& change) {
  if (change.kind == zeb::TextChange::Kind::Saved) return;
  if (change.kind == zeb::TextChange::Kind::Edit) {
    // A new step: the steps that could be redone are gone, and so are their joins.
    const std::size_t count = document_.History().UndoCount();
    joined_.erase(joined_.lower_bound(count), joined_.end());
    startedFrom_.erase(startedFrom_.lower_bound(count), startedFrom_.end());
    if (!forwarding_) EndRun();
  } else {
    EndRun();
  }
  if (forwarding_ || listening_ == nullptr) return;
  if (pending_) {
    // The document changed before it took the screen's last change: the screen cannot say
    // where this change goes, so it shows the document anew.
    pending_.reset();
    reloadPending_ = true;
    ReloadLater();
    return;
  }

  EditorWidget& pane = *listening_;
  long start = 0, end = 0;
  std::string converted;
  std::string_view screen;
  if (!Converts(encoding_)) {
    start = static_cast<long>(change.offset);
    end = static_cast<long>(change.offset + change.removed);
    screen = document_.Buffer().Span(change.offset, change.inserted);
  } else {
    // Converted text: whole lines, line ends included.
    const auto lineCount = static_cast<std::size_t>(pane.Send(QsciScintillaBase::SCI_GETLINECOUNT));
    const auto screenLine = [&](std::size_t index) {
      return index >= lineCount ? pane.Send(QsciScintillaBase::SCI_GETLENGTH)
                                : pane.Send(QsciScintillaBase::SCI_POSITIONFROMLINE, index);
    };
    start = screenLine(change.firstLine);
    end = screenLine(change.firstLine + change.removedLines);
    const std::size_t from = document_.LineOffset(change.firstLine);
    const std::size_t lastLine = change.firstLine + change.insertedLines;
    const std::size_t to =
        lastLine >= document_.LineCount() ? document_.ByteSize() : document_.LineOffset(lastLine);
    converted = ToScreen(encoding_, document_.Buffer().Span(from, to - from));
    screen = converted;
  }
  {
    FlagScope scope(applying_);
    const bool readOnly = pane.isReadOnly();
    pane.setReadOnly(false);
    pane.Send(QsciScintillaBase::SCI_SETTARGETRANGE, U(start), end);
    pane.SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, screen.size(), screen.data());
    pane.setReadOnly(readOnly);
  }
  CheckLines();
}

bool DocumentScreen::InStep() const {
  if (listening_ == nullptr) return false;
  return listening_->ScreenBytes().toStdString() == ToScreen(encoding_, AllBytes(document_));
}

void DocumentScreen::Resync() {
  if (listening_ == nullptr || InStep()) return;
  pending_.reset();
  EndRun();
  Load();
}

// ---- Undo -------------------------------------------------------------------------------------

void DocumentScreen::Undo(zeb::EditView& view) {
  EndRun();
  std::size_t undone = 0;  // the last step undone, the first of its run
  while (true) {
    const std::size_t step = document_.History().UndoCount();
    if (!view.Undo()) break;
    undone = step;
    if (joined_.count(step) == 0) break;
  }
  const auto found = startedFrom_.find(undone);
  if (found == startedFrom_.end()) return;
  const zeb::ViewState& state = found->second;
  if (!document_.IsValid(state.blockStart) || !document_.IsValid(state.blockEnd)) return;
  if (!state.HasBlock())
    view.SetCursor(state.cursor);
  else
    view.Select(state.cursor == state.blockStart ? state.blockEnd : state.blockStart, state.cursor);
}

void DocumentScreen::Redo(zeb::EditView& view) {
  EndRun();
  if (!view.Redo()) return;
  while (joined_.count(document_.History().UndoCount() + 1) != 0)
    if (!view.Redo()) break;
}

}  // namespace zeb
