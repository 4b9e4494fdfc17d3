// The trace view: the table of messages with its tool bar (pause, clear, autoscroll, the quick
// filter, rules), a find bar (Ctrl+F, F3, Shift+F3) and a status line (received, shown, refused
// or bad, dropped, memory). The same view is zeb-trace's window and zeb-ide's Trace panel.
//
// A live view is the user's trace viewer: its receiver (TraceReceiver) serves the socket on a
// thread of its own and the view takes what came in batches, a few dozen times a second, so that
// a storm of messages costs the window's thread a bounded share of its time and a TRACE from that
// thread is answered all the same. Pausing stops the display only: messages are still taken,
// counted and kept, and shown when the pause ends. A view opened on a log shows the log and
// takes nothing.
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <memory>
#include <optional>

#include "viewer/TraceReceiver.h"
#include "viewer/window/TraceTableModel.h"

class QAction;
class QActionGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QTableView;
class QToolBar;

namespace zeb {

class TraceRulesDialog;

class TraceView : public QWidget {
  Q_OBJECT

 public:
  // `live`: the view reads and writes the user's settings (rules, bounds, columns); a log's view
  // does not.
  explicit TraceView(bool live, QWidget* parent = nullptr);
  ~TraceView() override;

  // Makes the view a panel of another program's window (zeb-ide's): the file keys (Ctrl+O,
  // Ctrl+S, Ctrl+Shift+S) stay that window's, and what a window has in its menus is in a menu of
  // the tool bar.
  void ForPanel();

  // Becomes the viewer at `socketPath` (the user's when empty) and shows what comes; false when it
  // cannot, and the view then says why (another viewer runs, say) in its place.
  bool StartReceiving(const std::string& socketPath = {}, std::FILE* output = nullptr,
                      const std::string& outputName = {});
  // Gives up the socket.
  void StopReceiving();
  bool Receiving() const { return receiver_ != nullptr; }
  const std::string& SocketPath() const { return socketPath_; }
  // Why the view does not receive (it could not start, or stopped on its own), or empty.
  const QString& NotReceiving() const { return notReceiving_; }

  // Shows the log at `path` with its rules; the reason when it cannot.
  std::optional<QString> OpenLog(const QString& path);
  // Saves all held messages, or those shown, as a log (with the rules) or, for a path not ending
  // in ".ztrace", as the console's lines; the reason when it cannot.
  std::optional<QString> Save(const QString& path, bool shownOnly);

  // Takes what the receiver has now, at once (as the batch timer does).
  void TakeNow();

  TraceTableModel& Model() { return *model_; }
  QTableView* Table() const { return table_; }
  QLabel* Status() const { return status_; }
  QString StatusText() const;
  std::uint64_t Received() const { return received_; }
  std::uint64_t Problems() const { return problemCount_; }
  const std::deque<QString>& LastProblems() const { return problems_; }

  void SetRules(std::vector<TraceRule> rules);
  void SetQuickFilter(const QString& text);
  void SetPaused(bool paused);
  void Clear();
  void SetLimits(TraceStoreLimits limits);
  // Selects the next (or previous) shown message holding `text` (ignoring case) after the current
  // one, going round; false when none does.
  bool Find(const QString& text, bool backward);
  bool FollowsNew() const;

  // The view's actions, for a window's menus; each works in the view with its shortcut too.
  struct Actions {
    QAction* openLog = nullptr;
    QAction* saveAll = nullptr;
    QAction* saveShown = nullptr;
    QAction* copy = nullptr;
    QAction* find = nullptr;
    QAction* findNext = nullptr;
    QAction* findPrevious = nullptr;
    QAction* toggleBookmark = nullptr;
    QAction* nextBookmark = nullptr;
    QAction* previousBookmark = nullptr;
    QAction* clear = nullptr;
    QAction* pause = nullptr;
    QAction* autoscroll = nullptr;
    QAction* rules = nullptr;
    QAction* limits = nullptr;
    QAction* problems = nullptr;
    QActionGroup* time = nullptr;
  };
  const Actions& GetActions() const { return actions_; }
  TraceRulesDialog* RulesDialog();

 signals:
  // The status line changed.
  void statusChanged();
  // A log was asked for (File -> Open): a window opens it in a window of its own.
  void openLogRequested(const QString& path);
  // The receiver stopped on its own: its --output could not be written.
  void receivingStopped(const QString& why);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void MakeActions();
  void ShowFindBar();
  void TakeBatch();
  void Absorb(std::size_t most);
  void UpdateStatus();
  void SaveHeader();
  void JumpToBookmark(bool backward);
  QList<int> SelectedRows() const;

  bool live_;
  TraceTableModel* model_ = nullptr;
  QTableView* table_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  QLineEdit* quickFilter_ = nullptr;
  QWidget* findBar_ = nullptr;
  QLineEdit* findText_ = nullptr;
  QLabel* findStatus_ = nullptr;
  QLabel* banner_ = nullptr;
  QLabel* status_ = nullptr;
  Actions actions_;
  QPointer<TraceRulesDialog> rulesDialog_;
  std::vector<TraceRule> rules_;

  std::unique_ptr<TraceReceiver> receiver_;
  std::string socketPath_;
  QString notReceiving_;
  QTimer takeTimer_;
  std::deque<TraceMessage> pending_;  // taken from the receiver, not yet in the model
  std::uint64_t received_ = 0;
  std::uint64_t droppedWaiting_ = 0;
  std::uint64_t problemCount_ = 0;
  std::deque<QString> problems_;  // the last ones
  QString log_;                   // the name of the log shown, if one is
};

}  // namespace zeb
