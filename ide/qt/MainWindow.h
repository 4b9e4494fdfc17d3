// MainWindow: the IDE window. A tab per document shown, its edit views as panes side by side
// (View -> Split); menus for files, editing, finding, views, encodings and tools; a status bar
// (line, column, tab width, encoding, line end, modified); recent files; and the front end's
// side of the IDE core: faults and messages in message boxes, add-in dialogs as modal windows.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>

#include "ide/app/Ide.h"
#include "ide/core/IdeObserver.h"
#include "ide/qt/ModalPresenter.h"

class QAction;
class QActionGroup;
class QDockWidget;
class QLabel;
class QMenu;
class QSplitter;
class QTabWidget;
class QTreeWidget;

namespace zeb {

class DocumentScreen;
class EditorWidget;
class FindBar;
class TraceView;

class MainWindow final : public QMainWindow, public zeb::IdeObserver {
  Q_OBJECT

 public:
  explicit MainWindow(zeb::Ide::Options options = {}, QWidget* parent = nullptr);
  ~MainWindow() override;

  zeb::Ide& Ide() noexcept { return *ide_; }

  // Loads a package; a failure is reported like any other message.
  bool LoadPackage(const QString& path);
  // Opens a file (or switches to it); a file that cannot be opened is reported with what the
  // IDE said, and nothing changes. Null on failure.
  EditorWidget* OpenFile(const QString& path);

  // The pane the user works in, and every pane of the tab it is in.
  EditorWidget* CurrentEditor() const;
  std::vector<EditorWidget*> PanesOf(int tabIndex) const;
  QTabWidget* Tabs() const noexcept { return tabs_; }
  FindBar* Finder() const noexcept { return findBar_; }
  ModalPresenter& Presenter() noexcept { return presenter_; }
  // Every action of the menus, for tests: by its text without "&" and "...".
  QAction* Action(const QString& text) const;

  // Replaces the message boxes (faults, messages, errors) with a call; for tests.
  std::function<void(const QString& title, const QString& text)> onMessage;
  // Answers "save changes?" without asking; for tests. Returns a QMessageBox::StandardButton.
  std::function<int(const QString& fileName)> onAskSave;

  // The status bar's text, joined: "Ln 3, Col 9 (byte 2) | Tab 8 | UTF-8 | LF | Modified".
  QString StatusText();
  // The Packages window's contents: one item per loaded package, its identity below it.
  QTreeWidget* CreatePackageTree(QWidget* parent) const;
  // The Trace panel's view (zeb-trace's, viewer/window), once the panel was opened; whether it
  // is the user's trace viewer now.
  TraceView* Trace() const noexcept { return traceView_; }
  bool TraceViewerRunning() const;
  QDockWidget* TraceDock() const noexcept { return traceDock_; }

 public slots:
  void OpenDialog();
  bool Save();
  bool SaveAs();
  bool CloseCurrent();
  void Undo();
  void Redo();
  void SplitView();
  bool ClosePane();
  void GoToLine(int line);
  void ToggleCompanion();
  void ShowPackages();
  // Makes the Trace panel the user's trace viewer (its server on a thread of its own, so that a
  // TRACE from this window's thread is answered), shows a hidden panel, or stops a shown one.
  void ToggleTraceViewer();
  void StopTraceViewer();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

  // IdeObserver
  void OnFault(const zeb::Fault& fault) override;
  TModalResult OnDialog(TForm& form) override;
  void OnMessage(const std::string& text) override;
  void OnDocumentChanged(zeb::Document& document, const zeb::TextChange& change) override;
  void OnPaint(zeb::EditView& view) override;
  void OnTopViewChanged(zeb::EditView& view) override;

 private:
  void BuildMenus();
  QAction* AddAction(QMenu* menu, const QString& text, const QList<QKeySequence>& keys,
                     const std::function<void()>& run);
  bool RunShortcut(const QKeyEvent& event);
  void Report(const QString& title, const QString& text);
  EditorWidget* EditorOf(const zeb::EditView& view) const;
  QSplitter* TabOf(const zeb::Document& document) const;
  EditorWidget* AddPane(const std::shared_ptr<zeb::EditView>& view);
  void RemovePane(EditorWidget* pane);
  bool CloseTab(int index);
  // Asks whether to save the document when it is modified (with `lastViewOnly`, only when no
  // other view shows it); false when the user cancels or the save failed.
  bool MaySave(zeb::Document& document, bool lastViewOnly = true);
  bool SaveTo(zeb::Document& document, const QString& path);
  void UpdateStatus();
  void UpdateTabTitle(const zeb::Document& document);
  void AddRecent(const QString& path);
  void FillRecentMenu();
  void FillModuleMenu();
  void FillEncodingMenu();
  void EditCommand(const std::function<void(EditorWidget&)>& command);

  ModalPresenter presenter_;
  std::unique_ptr<zeb::Ide> ide_;
  std::map<const zeb::Document*, DocumentScreen*> screens_;
  QTabWidget* tabs_;
  FindBar* findBar_;
  QLabel* position_;
  QLabel* tabWidth_;
  QLabel* encoding_;
  QLabel* lineEnd_;
  QLabel* modified_;
  QMenu* recentMenu_ = nullptr;
  QMenu* moduleMenu_ = nullptr;
  QMenu* encodingMenu_ = nullptr;
  QAction* traceAction_ = nullptr;
  QList<QAction*> actions_;
  QDockWidget* traceDock_ = nullptr;
  TraceView* traceView_ = nullptr;
  EditorWidget* lastPane_ = nullptr;
};

}  // namespace zeb
