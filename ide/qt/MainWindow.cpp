#include "ide/qt/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "ide/qt/DiskChangeBar.h"
#include "ide/qt/DiskWatch.h"
#include "ide/qt/DocumentNames.h"
#include "ide/qt/DocumentScreen.h"
#include "ide/qt/EdgeGuard.h"
#include "ide/qt/EditorWidget.h"
#include "ide/qt/FileCommands.h"
#include "ide/qt/FileDrop.h"
#include "ide/qt/FindBar.h"
#include "ide/qt/FormDialog.h"
#include "ide/qt/PackagesWindow.h"
#include "ide/qt/PreferencesDialog.h"
#include "ide/qt/QtStrings.h"
#include "ide/qt/Session.h"
#include "ide/qt/StatusPanel.h"
#include "ide/qt/TabCommands.h"
#include "ide/qt/TracePanel.h"
#include "ide/qt/WindowMenus.h"
#include "ide/qt/WindowObserver.h"
#include "runtime/Exceptions.h"

namespace zeb {

MainWindow::MainWindow(zeb::Ide::Options options, QWidget* parent)
    : QMainWindow(parent),
      presenter_(this),
      observer_(std::make_unique<WindowObserver>(*this)),
      preferences_(Preferences::Load()),
      zoom_(LoadZoom()) {
  InstallFontSubstitutions();
  SetEdgeReporter([this](const QString& title, const QString& text) {
    // What failed may have changed a document and not its screen, or the other way round.
    for (const auto& entry : screens_)
      entry.second->Resync();
    Report(title, text);
  });
  setWindowTitle(QStringLiteral("ZEB IDE"));
  resize(1000, 700);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* diskBar = new DiskChangeBar(central);
  middle_ = new QStackedWidget(central);
  tabs_ = new QTabWidget(middle_);
  tabs_->setTabsClosable(true);
  tabs_->setMovable(true);
  tabs_->setDocumentMode(true);
  hint_ = new QLabel(tr("No file is open.\n\n"
                        "Ctrl+O opens one, Ctrl+N makes a new one;\n"
                        "or drop files here from a file manager."),
                     middle_);
  hint_->setAlignment(Qt::AlignCenter);
  hint_->setEnabled(false);  // drawn in the palette's quiet colour
  middle_->addWidget(tabs_);
  middle_->addWidget(hint_);
  middle_->setCurrentWidget(hint_);
  findBar_ = new FindBar(central);
  layout->addWidget(diskBar);
  layout->addWidget(middle_, 1);
  layout->addWidget(findBar_);
  setCentralWidget(central);
  connect(tabs_, &QTabWidget::tabCloseRequested, this, [this](int index) {
    RunAtEdge(tr("Closing a tab"), [this, index] { CloseTab(index); });
  });
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int) {
    RunAtEdge(tr("Switching tabs"), [this] {
      if (EditorWidget* editor = CurrentEditor()) {
        if (ide_->TopView() != editor->View()) ide_->Activate(editor->View());
        editor->setFocus();
      }
      UpdateStatus();
    });
  });
  status_ = std::make_unique<StatusPanel>(*statusBar());

  options.tabWidth = preferences_.tabWidth;
  options.tabInsertsSpaces = preferences_.tabInsertsSpaces;
  ide_ = std::make_unique<zeb::Ide>(*observer_, std::move(options));
  trace_ = new TracePanel(*this);
  files_ = new FileCommands(*this);
  disk_ = new DiskWatch(*this, *diskBar);
  menus_ = new WindowMenus(*this);
  tabMenu_ = new TabCommands(*this);
  drop_ = new FileDrop(*this);
  RestoreWindowState(*this);
  connect(trace_, &TracePanel::RunningChanged, this,
          [this](bool running) { menus_->SetTraceChecked(running); });
  connect(trace_, &TracePanel::Failed, this,
          [this](const QString& text) { Report(tr("Trace log"), text); });
  UpdateStatus();
}

MainWindow::~MainWindow() {
  // The panes go first, while the IDE they drive is still there; then the IDE unloads its
  // packages, reporting to this window while it still is one.
  while (tabs_->count() > 0)
    delete tabs_->widget(0);
  for (auto& entry : screens_)
    delete entry.second;
  screens_.clear();
  trace_->Stop();
  ide_.reset();
  SetEdgeReporter({});
  // Never shown: what it would have said goes where a window cannot.
  for (const auto& [title, text] : pendingReports_)
    std::fprintf(stderr, "zeb-ide: %s\n", text.toLocal8Bit().constData());
}

QAction* MainWindow::Action(const QString& text) const {
  return menus_->Action(text);
}

void MainWindow::Report(const QString& title, const QString& text) {
  if (!shown_) {
    pendingReports_.emplace_back(title, text);
    return;
  }
  if (onMessage) {
    onMessage(title, text);
    return;
  }
  QMessageBox::warning(this, title, text);
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  // Once the window is on the screen, where the boxes centre on it.
  if (!pendingReports_.empty()) QTimer::singleShot(0, this, &MainWindow::ShowPendingReports);
}

void MainWindow::ShowPendingReports() {
  const auto reports = std::move(pendingReports_);
  pendingReports_.clear();
  for (const auto& [title, text] : reports)
    Report(title, text);
}

// ---- Files, packages and the trace panel: the parts that do the work --------------------------

bool MainWindow::LoadPackage(const QString& path) {
  return ide_->LoadPackage(S(path));
}

EditorWidget* MainWindow::OpenFile(const QString& path) {
  return files_->Open(path);
}

void MainWindow::NewFile() {
  files_->New();
}

void MainWindow::OpenDialog() {
  files_->OpenDialog();
}

std::vector<Document*> MainWindow::Documents() const {
  std::vector<Document*> documents;
  for (int i = 0; i < tabs_->count(); ++i) {
    const std::vector<EditorWidget*> panes = PanesOf(i);
    if (!panes.empty()) documents.push_back(&panes.front()->View()->GetDocument());
  }
  return documents;
}

bool MainWindow::Save() {
  EditorWidget* pane = CurrentEditor();
  return pane != nullptr && files_->Save(pane->View()->GetDocument());
}

bool MainWindow::SaveAs() {
  EditorWidget* pane = CurrentEditor();
  return pane != nullptr && files_->SaveAs(pane->View()->GetDocument());
}

bool MainWindow::SaveAll() {
  return files_->SaveAll();
}

bool MainWindow::CloseTab(int index) {
  return CloseTabs({index});
}

bool MainWindow::CloseTabs(std::vector<int> indexes) {
  std::vector<Document*> documents;
  for (const int index : indexes) {
    const std::vector<EditorWidget*> panes = PanesOf(index);
    if (!panes.empty()) documents.push_back(&panes.front()->View()->GetDocument());
  }
  if (documents.empty()) return false;
  if (!files_->MaySaveAll(documents)) return false;
  // From the last, so that the indexes before stay what they were.
  std::sort(indexes.rbegin(), indexes.rend());
  for (const int index : indexes)
    for (EditorWidget* pane : PanesOf(index))
      RemovePane(pane);
  if (EditorWidget* current = CurrentEditor()) ide_->Activate(current->View());
  UpdateStatus();
  return true;
}

bool MainWindow::CloseOthers(int index) {
  std::vector<int> others;
  for (int i = 0; i < tabs_->count(); ++i)
    if (i != index) others.push_back(i);
  return others.empty() || CloseTabs(others);
}

bool MainWindow::CloseAll() {
  return CloseOthers(-1);
}

bool MainWindow::CloseCurrent() {
  return tabs_->count() > 0 && CloseTab(tabs_->currentIndex());
}

void MainWindow::SwitchTab(int step) {
  const int count = tabs_->count();
  if (count < 2) return;
  tabs_->setCurrentIndex(((tabs_->currentIndex() + step) % count + count) % count);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // One question for all the modified documents, however many panes show each.
  if (!files_->MaySaveAll(Documents())) {
    event->ignore();
    return;
  }
  SaveSession(*this);
  event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
  // Back in the window after working elsewhere: the files may have changed meanwhile.
  if (event->type() == QEvent::ActivationChange && isActiveWindow())
    RunAtEdge(tr("Checking the open files"), [this] { disk_->CheckAll(); });
  QMainWindow::changeEvent(event);
}

QTreeWidget* MainWindow::CreatePackageTree(QWidget* parent) const {
  return zeb::CreatePackageTree(*ide_, parent);
}

void MainWindow::ShowPackages() {
  ShowPackagesWindow(*ide_, this);
}

// ---- Preferences and zoom ---------------------------------------------------------------------

void MainWindow::ShowPreferences() {
  if (auto* open = findChild<PreferencesDialog*>()) {
    open->raise();
    open->activateWindow();
    return;
  }
  auto* dialog = new PreferencesDialog(preferences_, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &PreferencesDialog::Applied, this, [this](const zeb::Preferences& chosen) {
    RunAtEdge(tr("Applying the preferences"), [this, &chosen] { SetPreferences(chosen); });
  });
  dialog->open();
}

void MainWindow::SetPreferences(const zeb::Preferences& preferences) {
  preferences_ = preferences;
  preferences_.Save();
  ide_->SetTabWidth(preferences_.tabWidth);
  ide_->SetTabInsertsSpaces(preferences_.tabInsertsSpaces);
  for (const auto& entry : screens_)
    for (EditorWidget* pane : entry.second->Panes())
      ApplyPreferences(*pane);
  UpdateStatus();
}

void MainWindow::ApplyPreferences(EditorWidget& pane) {
  pane.Apply(preferences_, zoom_);
}

void MainWindow::SetZoom(int zoom) {
  zoom = std::clamp(zoom, -10, 20);
  if (zoom == zoom_) return;
  zoom_ = zoom;
  SaveZoom(zoom_);
  for (const auto& entry : screens_)
    for (EditorWidget* pane : entry.second->Panes())
      pane->zoomTo(zoom_);
}

// ---- Editing ----------------------------------------------------------------------------------

void MainWindow::EditCommand(const std::function<void(EditorWidget&)>& command) {
  EditorWidget* pane = CurrentEditor();
  if (pane == nullptr) return;
  pane->PushSelectionToView();
  command(*pane);
  pane->Screen().EndRun();
  pane->PushSelectionToView();
  UpdateStatus();
}

void MainWindow::Undo() {
  EditCommand([](EditorWidget& pane) {
    pane.Screen().Undo(*pane.View());
    pane.SyncSelectionFromView();
  });
}

void MainWindow::Redo() {
  EditCommand([](EditorWidget& pane) {
    pane.Screen().Redo(*pane.View());
    pane.SyncSelectionFromView();
  });
}

void MainWindow::GoToLine(int line, int column) {
  EditCommand([line, column](EditorWidget& pane) {
    const Document& document = pane.View()->GetDocument();
    const TextPos start = document.Clamp({line, 1});
    pane.View()->SetCursor(start);
    if (column > 1) {
      // The column as drawn, tabs reaching their stops; the line's end when it is shorter.
      const long position = pane.Send(QsciScintillaBase::SCI_FINDCOLUMN,
                                      static_cast<unsigned long>(start.line - 1), column - 1);
      pane.View()->SetCursor(pane.TextPosAt(position));
    }
    pane.SyncSelectionFromView();
    pane.Send(QsciScintillaBase::SCI_SETYCARETPOLICY,
              QsciScintillaBase::CARET_SLOP | QsciScintillaBase::CARET_STRICT |
                  QsciScintillaBase::CARET_EVEN,
              pane.Send(QsciScintillaBase::SCI_LINESONSCREEN) / 2);
    pane.Send(QsciScintillaBase::SCI_SCROLLCARET);
    pane.Send(QsciScintillaBase::SCI_SETYCARETPOLICY, QsciScintillaBase::CARET_EVEN, 0);
    pane.setFocus();
  });
}

void MainWindow::SplitView() {
  EditorWidget* pane = CurrentEditor();
  if (pane == nullptr) return;
  pane->PushSelectionToView();
  try {
    ide_->Split();
  } catch (const std::exception&) {
    Report(tr("Cannot split"), Q(DescribeException(std::current_exception()).message));
  }
}

bool MainWindow::ClosePane() {
  EditorWidget* pane = CurrentEditor();
  if (pane == nullptr) return false;
  const int index = tabs_->currentIndex();
  if (PanesOf(index).size() < 2) return CloseTab(index);
  RemovePane(pane);
  if (EditorWidget* current = CurrentEditor()) {
    ide_->Activate(current->View());
    current->setFocus();
  }
  UpdateStatus();
  return true;
}

void MainWindow::ToggleCompanion() {
  EditorWidget* pane = CurrentEditor();
  if (pane == nullptr) return;
  const Document& document = pane->View()->GetDocument();
  const auto module = ide_->ModuleOf(document);
  if (!module || module->FileCount() < 2) {
    status_->Note(tr("%1 has no companion file").arg(DisplayName(document)));
    return;
  }
  const std::size_t next = (module->IndexOf(document) + 1) % module->FileCount();
  ide_->ShowFile(module->File(next)->Path());
}

// ---- What the IDE core tells the window -------------------------------------------------------

void MainWindow::ShowChange(Document& document, const TextChange& change) {
  const auto found = screens_.find(&document);
  if (found != screens_.end()) {
    found->second->Apply(change);
    // Panes other than the one acting keep their caret where the component moved it.
    const auto top = ide_->TopView();
    for (EditorWidget* pane : found->second->Panes())
      if (pane->View() != top) pane->PushSelectionToView();
  }
  UpdateTabTitle(document);
  UpdateStatus();
}

void MainWindow::Repaint(EditView& view) {
  if (EditorWidget* editor = EditorOf(view)) editor->viewport()->update();
}

void MainWindow::ShowTopView(EditView& view) {
  EditorWidget* editor = EditorOf(view);
  if (editor == nullptr) {
    for (const auto& shared : ide_->ViewsOf(view.GetDocument()))
      if (shared.get() == &view) editor = AddPane(shared);
  }
  if (editor == nullptr) return;
  lastPane_ = editor;
  findBar_->SetEditor(editor);
  QWidget* tab = editor->parentWidget();
  if (tabs_->currentWidget() != tab) tabs_->setCurrentWidget(tab);
  if (!editor->hasFocus() && isVisible()) editor->setFocus();
  UpdateStatus();
}

// ---- Tabs, panes and status -------------------------------------------------------------------

QSplitter* MainWindow::TabOf(const Document& document) const {
  for (int i = 0; i < tabs_->count(); ++i) {
    const std::vector<EditorWidget*> panes = PanesOf(i);
    if (!panes.empty() && &panes.front()->View()->GetDocument() == &document)
      return qobject_cast<QSplitter*>(tabs_->widget(i));
  }
  return nullptr;
}

std::vector<EditorWidget*> MainWindow::PanesOf(int tabIndex) const {
  std::vector<EditorWidget*> panes;
  auto* splitter = qobject_cast<QSplitter*>(tabs_->widget(tabIndex));
  if (splitter == nullptr) return panes;
  for (int i = 0; i < splitter->count(); ++i)
    if (auto* pane = qobject_cast<EditorWidget*>(splitter->widget(i))) panes.push_back(pane);
  return panes;
}

std::vector<EditorWidget*> MainWindow::PanesOf(const Document& document) const {
  const DocumentScreen* screen = ScreenOf(document);
  return screen != nullptr ? screen->Panes() : std::vector<EditorWidget*>();
}

DocumentScreen* MainWindow::ScreenOf(const Document& document) const {
  const auto found = screens_.find(&document);
  return found != screens_.end() ? found->second : nullptr;
}

EditorWidget* MainWindow::AddPane(const std::shared_ptr<EditView>& view) {
  Document& document = view->GetDocument();
  DocumentScreen*& screen = screens_[&document];
  const bool newScreen = screen == nullptr;
  if (newScreen) screen = new DocumentScreen(document);
  QSplitter* splitter = TabOf(document);
  const bool newTab = splitter == nullptr;
  if (newTab) {
    splitter = new QSplitter(Qt::Horizontal, tabs_);
    splitter->setChildrenCollapsible(false);
  }
  auto* pane = new EditorWidget(*ide_, view, *screen, splitter);
  pane->onKeyPassedOn = [this](QKeyEvent& event) { return menus_->RunShortcut(event); };
  ApplyPreferences(*pane);
  drop_->Watch(*pane->viewport());
  // Ctrl and the wheel zoom one pane: every other follows.
  connect(pane, &QsciScintillaBase::SCN_ZOOM, this,
          [this, pane] { SetZoom(static_cast<int>(pane->Send(QsciScintillaBase::SCI_GETZOOM))); });
  splitter->addWidget(pane);
  connect(pane, &EditorWidget::StatusChanged, this, [this, pane] {
    if (pane == CurrentEditor()) UpdateStatus();
  });
  if (newTab) {
    tabs_->addTab(splitter, DisplayName(document));
  } else {
    // Panes share the width equally.
    splitter->setSizes(QList<int>(splitter->count(), std::max(1, splitter->width())));
  }
  UpdateTabTitle(document);
  if (newScreen) disk_->Watch(document);
  return pane;
}

void MainWindow::RemovePane(EditorWidget* pane) {
  const std::shared_ptr<EditView> view = pane->View();
  const Document* document = &view->GetDocument();
  QWidget* tab = pane->parentWidget();
  if (lastPane_ == pane) lastPane_ = nullptr;
  findBar_->SetEditor(nullptr);
  delete pane;
  const auto found = screens_.find(document);
  if (found != screens_.end() && found->second->Panes().empty()) {
    disk_->Forget(*document);
    ForgetName(*document);
    delete found->second;
    screens_.erase(found);
    delete tab;
  }
  ide_->CloseView(view);
}

EditorWidget* MainWindow::EditorOf(const EditView& view) const {
  for (const auto& entry : screens_)
    for (EditorWidget* pane : entry.second->Panes())
      if (pane->View().get() == &view) return pane;
  return nullptr;
}

EditorWidget* MainWindow::CurrentEditor() const {
  const std::vector<EditorWidget*> panes = PanesOf(tabs_->currentIndex());
  if (panes.empty()) return nullptr;
  if (std::find(panes.begin(), panes.end(), lastPane_) != panes.end()) return lastPane_;
  return panes.front();
}

void MainWindow::UpdateTabTitle(const Document& document) {
  QSplitter* tab = TabOf(document);
  const int index = tab != nullptr ? tabs_->indexOf(tab) : -1;
  if (index < 0) return;
  tabs_->setTabText(
      index, DisplayName(document) + (document.Modified() ? QStringLiteral(" *") : QString()));
  tabs_->setTabToolTip(index, document.Path().empty() ? tr("Not saved yet") : Q(document.Path()));
}

void MainWindow::UpdateStatus() {
  EditorWidget* pane = CurrentEditor();
  middle_->setCurrentWidget(tabs_->count() > 0 ? static_cast<QWidget*>(tabs_) : hint_);
  if (menus_ != nullptr) menus_->UpdateEditActions(pane);
  status_->Show(pane);
  disk_->ShowNoticeFor(pane != nullptr ? &pane->View()->GetDocument() : nullptr);
  if (pane == nullptr) {
    setWindowTitle(QStringLiteral("ZEB IDE"));
    setWindowModified(false);
    return;
  }
  const Document& document = pane->View()->GetDocument();
  setWindowTitle(
      DisplayName(document) + QStringLiteral("[*]") +
      (document.Path().empty() ? QString() : QStringLiteral(" — ") + Q(document.Path())));
  setWindowModified(document.Modified());
}

QString MainWindow::StatusText() {
  UpdateStatus();
  return status_->Text();
}

}  // namespace zeb
