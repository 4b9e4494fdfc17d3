// MainWindow: the IDE window. A tab per document shown, its edit views as panes side by side
// (View -> Split), the find bar under them, a hint where no file is open; the IDE core it
// drives, the commands that act on the pane the user works in (undo, redo, go to line, split,
// companions, zoom) and on the tabs (switch, close others, close all), and the preferences it
// applies to every pane.
//
// Its other parts live in classes of their own: the menus and their actions (WindowMenus), the
// file commands and the watch on the open files (FileCommands, DiskWatch), the tab bar's menu
// (TabCommands), files dropped on the window (FileDrop), the preferences (Preferences,
// PreferencesDialog), what it remembers between runs (Session), the trace viewer's panel
// (TracePanel), the Packages window (PackagesWindow), the status bar (StatusPanel) and what the
// IDE core tells the window (WindowObserver).
//
// Messages reported before the window first shows (a package or a file of the command line that
// did not load) wait until it does, so that their boxes stand over the window.
#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "ide/app/Ide.h"
#include "ide/qt/ModalPresenter.h"
#include "ide/qt/Preferences.h"

class QAction;
class QKeyEvent;
class QLabel;
class QSplitter;
class QStackedWidget;
class QTabWidget;
class QTreeWidget;
class QUrl;

namespace zeb {

class DiskWatch;
class DocumentScreen;
class EditorWidget;
class FileCommands;
class FileDrop;
class FindBar;
class StatusPanel;
class TabCommands;
class TracePanel;
class WindowMenus;
class WindowObserver;

class MainWindow final : public QMainWindow {
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
  // The documents of the tabs, in the tabs' order.
  std::vector<Document*> Documents() const;

  // The pane the user works in, and every pane of the tab it is in.
  EditorWidget* CurrentEditor() const;
  std::vector<EditorWidget*> PanesOf(int tabIndex) const;
  // The panes showing `document`, and the screen they share (null when none shows it).
  std::vector<EditorWidget*> PanesOf(const Document& document) const;
  DocumentScreen* ScreenOf(const Document& document) const;
  QTabWidget* Tabs() const noexcept { return tabs_; }
  FindBar* Finder() const noexcept { return findBar_; }
  ModalPresenter& Presenter() noexcept { return presenter_; }
  FileCommands& Files() const noexcept { return *files_; }
  TabCommands& TabMenu() const noexcept { return *tabMenu_; }
  FileDrop& Drop() const noexcept { return *drop_; }
  // What the window shows where no file is open.
  QLabel* Hint() const noexcept { return hint_; }
  DiskWatch& Disk() const noexcept { return *disk_; }
  TracePanel& Trace() const noexcept { return *trace_; }
  // Every action of the menus, for tests: by its text without "&" and "...".
  QAction* Action(const QString& text) const;

  // Tells the user in a message box (or through onMessage).
  void Report(const QString& title, const QString& text);

  // The window's questions answered without asking; for tests. Unset, a dialog asks.
  // Faults, messages and errors: instead of a message box.
  std::function<void(const QString& title, const QString& text)> onMessage;
  // "Save changes?": a QMessageBox::StandardButton (Save, Discard or Cancel).
  std::function<int(const QString& fileName)> onAskSave;
  // "The file changed on disk: overwrite it?": QMessageBox::Save to overwrite, or Cancel.
  std::function<int(const QString& fileName)> onAskOverwrite;
  // Save As: the path chosen, empty to cancel.
  std::function<QString(const QString& currentPath)> onAskSavePath;
  // Several documents closing with changes: QMessageBox::Save (Save All), Discard (Discard All)
  // or Cancel.
  std::function<int(const QStringList& fileNames)> onAskSaveAll;
  // Show in Folder: the folder to show, instead of the desktop's file manager.
  std::function<void(const QUrl& folder)> onOpenUrl;

  // ---- Preferences and zoom
  const zeb::Preferences& Preferences() const noexcept { return preferences_; }
  // Applies the preferences to every pane and the IDE, and keeps them.
  void SetPreferences(const zeb::Preferences& preferences);
  // The zoom of every pane, in points added to the font's size; kept between runs.
  int Zoom() const noexcept { return zoom_; }
  void SetZoom(int zoom);

  // The status bar's text, joined: "Ln 3, Col 9 (byte 2) | Tab 8 | UTF-8 | LF | Modified".
  QString StatusText();
  // The Packages window's contents: one item per loaded package, its identity below it.
  QTreeWidget* CreatePackageTree(QWidget* parent) const;

  // ---- What the IDE core tells the window (from WindowObserver)
  void ShowChange(Document& document, const TextChange& change);
  void ShowTopView(EditView& view);
  void Repaint(EditView& view);

 public slots:
  void NewFile();
  void OpenDialog();
  bool Save();
  bool SaveAs();
  bool SaveAll();
  bool CloseCurrent();
  bool CloseTab(int index);
  // Closes every tab but `index` (or every tab), asking once about the modified documents.
  bool CloseOthers(int index);
  bool CloseAll();
  // The next tab (step 1) or the one before (-1), round the ends.
  void SwitchTab(int step);
  void ShowPreferences();
  void Undo();
  void Redo();
  void SplitView();
  bool ClosePane();
  // Puts the cursor at the line (from 1, past the end: the last) and at the column (from 1, in
  // characters as the status bar counts them; 0 for the line's start), in the middle of the pane.
  void GoToLine(int line, int column = 0);
  void ToggleCompanion();
  void ShowPackages();
  void UpdateStatus();
  void UpdateTabTitle(const Document& document);
  // Runs `command` on the pane the user works in, with its view and screen in step before and
  // after; nothing without a pane.
  void EditCommand(const std::function<void(EditorWidget&)>& command);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // Closes the tabs `indexes` (in any order), asking once about their modified documents.
  bool CloseTabs(std::vector<int> indexes);
  void ApplyPreferences(EditorWidget& pane);
  void ShowPendingReports();
  EditorWidget* EditorOf(const EditView& view) const;
  QSplitter* TabOf(const Document& document) const;
  EditorWidget* AddPane(const std::shared_ptr<EditView>& view);
  void RemovePane(EditorWidget* pane);

  ModalPresenter presenter_;
  std::unique_ptr<WindowObserver> observer_;  // before the IDE, which reports to it
  std::unique_ptr<zeb::Ide> ide_;
  std::map<const Document*, DocumentScreen*> screens_;
  zeb::Preferences preferences_;
  int zoom_ = 0;
  QStackedWidget* middle_;  // the tabs, or the hint
  QTabWidget* tabs_;
  QLabel* hint_;
  FindBar* findBar_;
  std::unique_ptr<StatusPanel> status_;
  TracePanel* trace_;
  FileCommands* files_;
  DiskWatch* disk_;
  WindowMenus* menus_ = nullptr;
  TabCommands* tabMenu_;
  FileDrop* drop_;
  EditorWidget* lastPane_ = nullptr;
  bool shown_ = false;  // the window has shown once
  std::vector<std::pair<QString, QString>> pendingReports_;
};

}  // namespace zeb
