// MainWindow: the IDE window. A tab per document shown, its edit views as panes side by side
// (View -> Split), the find bar under them; the IDE core it drives, and the commands that act on
// the pane the user works in (undo, redo, go to line, split, companions).
//
// Its other parts live in classes of their own: the menus and their actions (WindowMenus), the
// file commands and the watch on the open files (FileCommands, DiskWatch), the trace viewer's
// panel (TracePanel), the Packages window (PackagesWindow), the status bar (StatusPanel) and what
// the IDE core tells the window (WindowObserver).
#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "ide/app/Ide.h"
#include "ide/qt/ModalPresenter.h"

class QAction;
class QKeyEvent;
class QSplitter;
class QTabWidget;
class QTreeWidget;

namespace zeb {

class DiskWatch;
class DocumentScreen;
class EditorWidget;
class FileCommands;
class FindBar;
class StatusPanel;
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

  // The status bar's text, joined: "Ln 3, Col 9 (byte 2) | Tab 8 | UTF-8 | LF | Modified".
  QString StatusText();
  // The Packages window's contents: one item per loaded package, its identity below it.
  QTreeWidget* CreatePackageTree(QWidget* parent) const;

  // ---- What the IDE core tells the window (from WindowObserver)
  void ShowChange(Document& document, const TextChange& change);
  void ShowTopView(EditView& view);
  void Repaint(EditView& view);

 public slots:
  void OpenDialog();
  bool Save();
  bool SaveAs();
  bool CloseCurrent();
  bool CloseTab(int index);
  void Undo();
  void Redo();
  void SplitView();
  bool ClosePane();
  void GoToLine(int line);
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

 private:
  EditorWidget* EditorOf(const EditView& view) const;
  QSplitter* TabOf(const Document& document) const;
  EditorWidget* AddPane(const std::shared_ptr<EditView>& view);
  void RemovePane(EditorWidget* pane);

  ModalPresenter presenter_;
  std::unique_ptr<WindowObserver> observer_;  // before the IDE, which reports to it
  std::unique_ptr<zeb::Ide> ide_;
  std::map<const Document*, DocumentScreen*> screens_;
  QTabWidget* tabs_;
  FindBar* findBar_;
  std::unique_ptr<StatusPanel> status_;
  TracePanel* trace_;
  FileCommands* files_;
  DiskWatch* disk_;
  WindowMenus* menus_;
  EditorWidget* lastPane_ = nullptr;
};

}  // namespace zeb
