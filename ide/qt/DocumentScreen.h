// DocumentScreen: one document as the editor panes show it. The panes of a document share one
// editor-component document, which holds the document's bytes (converted line by line for code
// page 949, see ScreenEncoding); the IDE's document stays the one source of truth:
//   - each change the user makes in a pane becomes an edit of the IDE's document through that
//     pane's view (the view's block replaced by the new text), so an add-in reads what is shown;
//   - each change made through the IDE (a block command, undo, redo) is applied to the screen as
//     the byte range it replaced, nothing else touched.
// Keys are grouped into undo steps as editors do: a run of typed characters, of Backspace or of
// Delete is undone at once; moving the cursor, a pause, or any other change ends the run. Undoing
// what the user did shows the caret and selection as they were before it (after a Backspace
// undone the caret stands after the character it brought back, which is not selected).
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <map>

#include "ide/qt/ScreenEncoding.h"
#include "ide/text/TextPos.h"

namespace zeb {
class Document;
class EditView;
struct TextChange;
}  // namespace zeb

namespace zeb {

class EditorWidget;

class DocumentScreen final : public QObject {
  Q_OBJECT

 public:
  // The encoding is guessed from the document's bytes (see GuessEncoding).
  explicit DocumentScreen(zeb::Document& document, QObject* parent = nullptr);
  ~DocumentScreen() override;

  zeb::Document& GetDocument() const noexcept { return document_; }
  ScreenEncoding Encoding() const noexcept { return encoding_; }
  // Shows the document anew in another encoding; false (nothing changed) when code page 949 is
  // asked for bytes that are not code page 949 text.
  bool SetEncoding(ScreenEncoding encoding);

  // Panes join with the shared component document; the first pane added loads it.
  void AddPane(EditorWidget& pane);
  void RemovePane(EditorWidget& pane);
  const std::vector<EditorWidget*>& Panes() const noexcept { return panes_; }
  // The pane whose view the user's next change goes through.
  void SetActivePane(EditorWidget& pane) noexcept { active_ = &pane; }

  // A change of the IDE's document (from the IDE's listener).
  void Apply(const zeb::TextChange& change);

  // Screen positions (byte offsets into the component's text) of places in the document.
  long PositionOf(zeb::TextPos pos) const;
  zeb::TextPos TextPosAt(long position) const;

  // Undo and redo through `view`, a run of keys as one step.
  void Undo(zeb::EditView& view);
  void Redo(zeb::EditView& view);
  void EndRun() noexcept { runEnd_ = -1; }

  // The runs of keys that make one undo step.
  enum class Run {
    None,       // not a key that runs on
    Typing,     // typed characters
    Backspace,  // Backspace with no selection
    Delete,     // Delete with no selection
  };

  // What the user does in one go (a key press, a paste, a replacement): every change it makes
  // is one undo step. `run` says which run of keys the action may extend.
  class UserAction {
   public:
    UserAction(DocumentScreen& screen, EditorWidget& pane, Run run = Run::None);
    ~UserAction();
    UserAction(const UserAction&) = delete;
    UserAction& operator=(const UserAction&) = delete;

   private:
    DocumentScreen& screen_;
    bool outer_;
  };

  // True when the screen holds exactly the document (as its encoding shows it).
  bool InStep() const;
  // Shows the document anew when the screen does not hold it (after a change that failed part
  // way).
  void Resync();

  // Makes the document take the change the component made last, if it has not yet. The
  // component announces each change before making it; the document takes it at the next
  // announcement, at the end of the user action, or when anything else is about to read or
  // change the document, whichever comes first.
  void Flush();

 signals:
  // The screen was loaded anew: panes show their view's cursor and block again.
  void Reloaded();
  // The number of lines on screen changed.
  void LinesChanged();

 private:
  // Shows the document anew.
  void Load();
  struct PendingChange;
  void OnModified(int position, int type, int length);
  void Forward(const PendingChange& change, const std::string& bytes);
  // Whether the step `change` makes continues the run of keys the last action ended.
  bool ContinuesRun(const PendingChange& change, std::size_t steps) const;
  void ReloadLater();
  long LineStart(std::size_t index) const;
  void CheckLines();
  void ListenTo(EditorWidget* pane);

  zeb::Document& document_;
  ScreenEncoding encoding_;
  std::vector<EditorWidget*> panes_;
  EditorWidget* listening_ = nullptr;  // the pane whose notifications stand for the document's
  EditorWidget* active_ = nullptr;
  bool applying_ = false;    // the screen is being changed to follow the document
  bool forwarding_ = false;  // the document is being changed to follow the screen
  bool linesAgree_ = true;   // the component's lines are the document's (no lone CR)
  bool reloadPending_ = false;
  long shownLines_ = 0;

  // The change the component announced last, while the document does not have it yet. Its
  // places in the document are taken when it is announced, when screen and document agree.
  struct PendingChange {
    bool insert = false;
    long position = 0;  // on screen
    long length = 0;    // on screen
    zeb::TextPos from, to;
  };
  std::optional<PendingChange> pending_;
  bool flushQueued_ = false;

  // History positions p whose step p is undone and redone together with step p - 1.
  std::set<std::size_t> joined_;
  // History positions p whose step p was the first of a user action: undoing it shows the
  // caret and selection the action started from.
  std::map<std::size_t, zeb::ViewState> startedFrom_;
  int actionDepth_ = 0;
  Run actionRun_ = Run::None;
  bool actionEdited_ = false;  // the current action has made a step already
  zeb::ViewState actionStart_;
  Run run_ = Run::None;       // the run the last action made or extended
  long runEnd_ = -1;          // where the caret stood after it, -1 when there is none
  std::size_t runSteps_ = 0;  // the history position after the run's last step
  QElapsedTimer runClock_;
};

}  // namespace zeb
