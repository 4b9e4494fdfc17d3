// MainWindow: the IDE window. A tab per open view, menus for files, editing, views and tools, a
// status bar (line, column, modified, the file's indent step), recent files, and the front end's
// side of the IDE core: faults and messages in message boxes, add-in dialogs as modal windows.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>

#include "ide/core/Ide.h"
#include "ide/core/IdeObserver.h"
#include "ide/qt/ModalPresenter.h"

class QLabel;
class QMenu;
class QPlainTextEdit;
class QProcess;
class QTabWidget;
class QTreeWidget;

namespace ide::qt {

class EditorWidget;

class MainWindow final : public QMainWindow, public zebide::IdeObserver {
  Q_OBJECT

 public:
  explicit MainWindow(zebide::Ide::Options options = {}, QWidget* parent = nullptr);
  ~MainWindow() override;

  zebide::Ide& Ide() noexcept { return *ide_; }

  // Loads a package; a failure is reported like any other message.
  bool LoadPackage(const QString& path);
  // Opens a file (or switches to it); a file that cannot be read is reported and nothing
  // changes. Null on failure.
  EditorWidget* OpenFile(const QString& path);

  EditorWidget* CurrentEditor() const;
  QTabWidget* Tabs() const noexcept { return tabs_; }
  ModalPresenter& Presenter() noexcept { return presenter_; }

  // Replaces the message boxes (faults, messages, errors) with a call; for tests.
  std::function<void(const QString& title, const QString& text)> onMessage;
  // Answers "save changes?" without asking; for tests. Returns a QMessageBox::StandardButton.
  std::function<int(const QString& fileName)> onAskSave;

  // The status bar's text, joined: "Ln 3, Col 5 | Modified | Indent 2".
  QString StatusText() const;
  // The Packages window's contents: one item per loaded package, its identity below it.
  QTreeWidget* CreatePackageTree(QWidget* parent) const;
  // The trace viewer's output panel, once the viewer was started.
  QPlainTextEdit* TraceOutput() const noexcept { return traceOutput_; }

 public slots:
  void OpenDialog();
  bool Save();
  bool SaveAs();
  bool CloseCurrent();
  void Undo();
  void Redo();
  void SplitView();
  void ShowPackages();
  void StartTraceViewer();

 protected:
  void closeEvent(QCloseEvent* event) override;

 protected:
  // IdeObserver
  void OnFault(const zebide::Fault& fault) override;
  TModalResult OnDialog(TForm& form) override;
  void OnMessage(const std::string& text) override;
  void OnDocumentChanged(zebide::Document& document, const zebide::TextChange& change) override;
  void OnPaint(zebide::EditView& view) override;
  void OnTopViewChanged(zebide::EditView& view) override;

 private:
  void BuildMenus();
  void Report(const QString& title, const QString& text);
  EditorWidget* EditorOf(const zebide::EditView& view) const;
  EditorWidget* AddTab(const std::shared_ptr<zebide::EditView>& view);
  bool CloseTab(int index);
  // Asks whether to save the editor's document when it is modified (with `lastViewOnly`, only
  // when no other tab shows it); false when the user cancels or the save failed.
  bool MaySave(EditorWidget& editor, bool lastViewOnly = true);
  bool SaveTo(EditorWidget& editor, const QString& path);
  void UpdateStatus();
  void UpdateTitle(EditorWidget* editor);
  void AddRecent(const QString& path);
  void FillRecentMenu();

  ModalPresenter presenter_;
  std::unique_ptr<zebide::Ide> ide_;
  QTabWidget* tabs_;
  QLabel* position_;
  QLabel* modified_;
  QLabel* indent_;
  QMenu* recentMenu_ = nullptr;
  QProcess* trace_ = nullptr;
  QPlainTextEdit* traceOutput_ = nullptr;
  bool closing_ = false;
};

}  // namespace ide::qt
