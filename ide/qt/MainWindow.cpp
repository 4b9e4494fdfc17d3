#include "ide/qt/MainWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "ide/qt/DocumentScreen.h"
#include "ide/qt/EditorWidget.h"
#include "ide/qt/FindBar.h"
#include "ide/qt/FormDialog.h"
#include "runtime/Exceptions.h"
#include "viewer/window/TraceView.h"
#include "viewer/window/TraceWindow.h"

namespace zeb {

namespace {

constexpr int kMaxRecentFiles = 8;

QString Q(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
std::string S(const QString& s) {
  const QByteArray utf8 = s.toUtf8();
  return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

QString DisplayName(const zeb::Document& document) {
  return QFileInfo(Q(document.Path())).fileName();
}

// An action's text as tests name it: without mnemonics and the trailing "...".
QString PlainText(QString text) {
  text.remove(QLatin1Char('&'));
  if (text.endsWith(QStringLiteral("..."))) text.chop(3);
  return text;
}

}  // namespace

MainWindow::MainWindow(zeb::Ide::Options options, QWidget* parent)
    : QMainWindow(parent), presenter_(this) {
  InstallFontSubstitutions();
  setWindowTitle(QStringLiteral("ZEB IDE"));
  resize(1000, 700);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  tabs_ = new QTabWidget(central);
  tabs_->setTabsClosable(true);
  tabs_->setMovable(true);
  tabs_->setDocumentMode(true);
  findBar_ = new FindBar(central);
  layout->addWidget(tabs_, 1);
  layout->addWidget(findBar_);
  setCentralWidget(central);
  connect(tabs_, &QTabWidget::tabCloseRequested, this, [this](int index) { CloseTab(index); });
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int) {
    if (EditorWidget* editor = CurrentEditor()) {
      if (ide_->TopView() != editor->View()) ide_->Activate(editor->View());
      editor->setFocus();
    }
    UpdateStatus();
  });

  position_ = new QLabel(this);
  tabWidth_ = new QLabel(this);
  encoding_ = new QLabel(this);
  lineEnd_ = new QLabel(this);
  modified_ = new QLabel(this);
  for (QLabel* label : {position_, tabWidth_, encoding_, lineEnd_, modified_})
    statusBar()->addPermanentWidget(label);

  ide_ = std::make_unique<zeb::Ide>(*this, std::move(options));
  BuildMenus();
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
  StopTraceViewer();
  ide_.reset();
}

// ---- Menus ------------------------------------------------------------------------------------

QAction* MainWindow::AddAction(QMenu* menu, const QString& text, const QList<QKeySequence>& keys,
                               const std::function<void()>& run) {
  QAction* action = menu->addAction(text);
  action->setShortcuts(keys);
  connect(action, &QAction::triggered, this, [run] { run(); });
  actions_ << action;
  return action;
}

void MainWindow::BuildMenus() {
  using K = QKeySequence;
  QMenu* file = menuBar()->addMenu(tr("&File"));
  AddAction(file, tr("&Open..."), {K::Open}, [this] { OpenDialog(); });
  recentMenu_ = file->addMenu(tr("Open &Recent"));
  connect(recentMenu_, &QMenu::aboutToShow, this, &MainWindow::FillRecentMenu);
  AddAction(file, tr("&Save"), {K::Save}, [this] { Save(); });
  AddAction(file, tr("Save &As..."), {K(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}, [this] { SaveAs(); });
  AddAction(file, tr("&Close"), {K(Qt::CTRL | Qt::Key_W)}, [this] { CloseCurrent(); });
  file->addSeparator();
  AddAction(file, tr("&Quit"), {K(Qt::CTRL | Qt::Key_Q)}, [this] { close(); });

  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  AddAction(edit, tr("&Undo"), {K(Qt::CTRL | Qt::Key_Z)}, [this] { Undo(); });
  AddAction(edit, tr("&Redo"), {K(Qt::CTRL | Qt::Key_Y), K(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
            [this] { Redo(); });
  edit->addSeparator();
  AddAction(edit, tr("Cu&t"), {K(Qt::CTRL | Qt::Key_X)}, [this] {
    EditCommand([](EditorWidget& pane) {
      DocumentScreen::UserAction action(pane.Screen(), pane, false);
      pane.cut();
    });
  });
  AddAction(edit, tr("&Copy"), {K(Qt::CTRL | Qt::Key_C)},
            [this] { EditCommand([](EditorWidget& pane) { pane.copy(); }); });
  AddAction(edit, tr("&Paste"), {K(Qt::CTRL | Qt::Key_V)}, [this] {
    EditCommand([](EditorWidget& pane) {
      DocumentScreen::UserAction action(pane.Screen(), pane, false);
      pane.paste();
    });
  });
  AddAction(edit, tr("Select &All"), {K(Qt::CTRL | Qt::Key_A)},
            [this] { EditCommand([](EditorWidget& pane) { pane.selectAll(); }); });
  edit->addSeparator();
  AddAction(edit, tr("&Find..."), {K(Qt::CTRL | Qt::Key_F)}, [this] {
    findBar_->SetEditor(CurrentEditor());
    findBar_->Open(false);
  });
  AddAction(edit, tr("Find &Next"), {K(Qt::Key_F3)}, [this] {
    findBar_->SetEditor(CurrentEditor());
    if (findBar_->FindText()->text().isEmpty())
      findBar_->Open(false);
    else
      findBar_->FindNext();
  });
  AddAction(edit, tr("Find Pre&vious"), {K(Qt::SHIFT | Qt::Key_F3)}, [this] {
    findBar_->SetEditor(CurrentEditor());
    if (findBar_->FindText()->text().isEmpty())
      findBar_->Open(false);
    else
      findBar_->FindPrevious();
  });
  AddAction(edit, tr("R&eplace..."), {K(Qt::CTRL | Qt::Key_H)}, [this] {
    findBar_->SetEditor(CurrentEditor());
    findBar_->Open(true);
  });
  AddAction(edit, tr("&Go to Line..."), {K(Qt::CTRL | Qt::Key_G)}, [this] {
    EditorWidget* pane = CurrentEditor();
    if (pane == nullptr) return;
    bool ok = false;
    const int lines = static_cast<int>(pane->View()->GetDocument().LineCount());
    const int line = QInputDialog::getInt(this, tr("Go to Line"), tr("Line (1 to %1):").arg(lines),
                                          pane->View()->Cursor().line, 1, lines, 1, &ok);
    if (ok) GoToLine(line);
  });

  QMenu* view = menuBar()->addMenu(tr("&View"));
  AddAction(view, tr("&Split"), {K(Qt::CTRL | Qt::SHIFT | Qt::Key_Backslash)},
            [this] { SplitView(); });
  AddAction(view, tr("Close &Pane"), {}, [this] { ClosePane(); });
  view->addSeparator();
  moduleMenu_ = view->addMenu(tr("Files of This &Module"));
  connect(moduleMenu_, &QMenu::aboutToShow, this, &MainWindow::FillModuleMenu);
  AddAction(view, tr("Toggle Source/&Companion"), {K(Qt::ALT | Qt::Key_O)},
            [this] { ToggleCompanion(); });
  encodingMenu_ = view->addMenu(tr("&Encoding"));
  auto* encodings = new QActionGroup(encodingMenu_);
  for (const ScreenEncoding encoding :
       {ScreenEncoding::Utf8, ScreenEncoding::Cp949, ScreenEncoding::Latin1}) {
    QAction* action = encodingMenu_->addAction(QString::fromLatin1(EncodingName(encoding)));
    action->setCheckable(true);
    action->setData(static_cast<int>(encoding));
    encodings->addAction(action);
    actions_ << action;
    connect(action, &QAction::triggered, this, [this, encoding] {
      EditorWidget* pane = CurrentEditor();
      if (pane == nullptr) return;
      if (!pane->Screen().SetEncoding(encoding))
        Report(tr("Encoding"),
               tr("%1 is not code page 949 text.").arg(DisplayName(pane->View()->GetDocument())));
      UpdateStatus();
    });
  }
  connect(encodingMenu_, &QMenu::aboutToShow, this, &MainWindow::FillEncodingMenu);

  QMenu* tools = menuBar()->addMenu(tr("&Tools"));
  AddAction(tools, tr("&Packages..."), {}, [this] { ShowPackages(); });
  traceAction_ = AddAction(tools, tr("&Trace Viewer"), {}, [this] { ToggleTraceViewer(); });
  traceAction_->setCheckable(true);

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  AddAction(help, tr("&About"), {}, [this] {
    QMessageBox::about(this, tr("About ZEB IDE"),
                       tr("ZEB IDE: an IDE host for design-time packages.\n"
                          "Tab and Shift+Tab indent and unindent the selected block; "
                          "Ctrl+Alt+U shows what the IDE says about the current editor."));
  });
}

QAction* MainWindow::Action(const QString& text) const {
  for (QAction* action : actions_)
    if (PlainText(action->text()) == text) return action;
  return nullptr;
}

bool MainWindow::RunShortcut(const QKeyEvent& event) {
  const QKeySequence pressed(event.keyCombination());
  for (QAction* action : actions_)
    if (action->isEnabled() && action->shortcuts().contains(pressed)) {
      action->trigger();
      return true;
    }
  // Alt and a menu's underlined letter opens that menu, as it does everywhere else in the window.
  if (event.modifiers() == Qt::AltModifier)
    for (QAction* menu : menuBar()->actions())
      if (menu->isEnabled() && QKeySequence::mnemonic(menu->text()) == pressed) {
        menuBar()->setActiveAction(menu);
        return true;
      }
  return false;
}

void MainWindow::EditCommand(const std::function<void(EditorWidget&)>& command) {
  EditorWidget* pane = CurrentEditor();
  if (pane == nullptr) return;
  pane->PushSelectionToView();
  command(*pane);
  pane->Screen().EndTypingRun();
  pane->PushSelectionToView();
  UpdateStatus();
}

void MainWindow::FillRecentMenu() {
  recentMenu_->clear();
  const QStringList files = QSettings().value(QStringLiteral("recentFiles")).toStringList();
  for (const QString& path : files)
    recentMenu_->addAction(path, this, [this, path] { OpenFile(path); });
  recentMenu_->setEnabled(!files.isEmpty());
}

void MainWindow::AddRecent(const QString& path) {
  QSettings settings;
  QStringList files = settings.value(QStringLiteral("recentFiles")).toStringList();
  files.removeAll(path);
  files.prepend(path);
  while (files.size() > kMaxRecentFiles)
    files.removeLast();
  settings.setValue(QStringLiteral("recentFiles"), files);
}

void MainWindow::FillModuleMenu() {
  moduleMenu_->clear();
  EditorWidget* pane = CurrentEditor();
  const auto module = pane ? ide_->ModuleOf(pane->View()->GetDocument()) : nullptr;
  if (!module) return;
  for (std::size_t i = 0; i < module->FileCount(); ++i) {
    const zeb::Document& document = *module->File(i);
    QAction* action = moduleMenu_->addAction(DisplayName(document));
    action->setCheckable(true);
    action->setChecked(&document == &pane->View()->GetDocument());
    const std::string path = document.Path();
    connect(action, &QAction::triggered, this, [this, path] { ide_->ShowFile(path); });
  }
}

void MainWindow::FillEncodingMenu() {
  EditorWidget* pane = CurrentEditor();
  for (QAction* action : encodingMenu_->actions()) {
    action->setEnabled(pane != nullptr);
    action->setChecked(pane != nullptr &&
                       action->data().toInt() == static_cast<int>(pane->Screen().Encoding()));
  }
}

// ---- Files ------------------------------------------------------------------------------------

bool MainWindow::LoadPackage(const QString& path) {
  return ide_->LoadPackage(S(path));
}

EditorWidget* MainWindow::OpenFile(const QString& path) {
  try {
    zeb::EditView& view = ide_->Open(S(path));
    AddRecent(QFileInfo(path).absoluteFilePath());
    return EditorOf(view);
  } catch (const std::exception&) {
    // The IDE's message names the file and the reason ("cannot open FILE: not a regular file").
    Report(tr("Cannot open file"), Q(DescribeException(std::current_exception()).message));
    return nullptr;
  }
}

void MainWindow::OpenDialog() {
  const EditorWidget* pane = CurrentEditor();
  const QString folder = pane != nullptr
                             ? QFileInfo(Q(pane->View()->GetDocument().Path())).absolutePath()
                             : QDir::currentPath();
  const QStringList paths = QFileDialog::getOpenFileNames(
      this, tr("Open"), folder,
      tr("Modules (*.pas *.dpr *.dpk *.inc *.dfm *.xfm *.nfm *.cpp *.cc *.cxx *.c *.h *.hpp *.hh "
         "*.hxx);;All files (*)"));
  for (const QString& path : paths)
    OpenFile(path);
}

bool MainWindow::SaveTo(zeb::Document& document, const QString& path) {
  try {
    if (path.isEmpty() || S(QFileInfo(path).absoluteFilePath()) == document.Path())
      document.Save();
    else
      document.SaveCopy(S(path));
  } catch (const std::exception&) {
    const ExceptionDescription d = DescribeException(std::current_exception());
    Report(tr("Cannot save file"),
           tr("Cannot save %1:\n%2").arg(path.isEmpty() ? Q(document.Path()) : path, Q(d.message)));
    return false;
  }
  UpdateTabTitle(document);
  UpdateStatus();
  return true;
}

bool MainWindow::Save() {
  EditorWidget* pane = CurrentEditor();
  return pane != nullptr && SaveTo(pane->View()->GetDocument(), QString());
}

bool MainWindow::SaveAs() {
  EditorWidget* pane = CurrentEditor();
  if (pane == nullptr) return false;
  zeb::Document& document = pane->View()->GetDocument();
  const QString path = QFileDialog::getSaveFileName(this, tr("Save As"), Q(document.Path()));
  if (path.isEmpty() || !SaveTo(document, path)) return false;
  // The saved copy is the file from now on: open it in place of the tab it came from.
  if (S(QFileInfo(path).absoluteFilePath()) != document.Path()) {
    for (EditorWidget* each : PanesOf(tabs_->currentIndex()))
      RemovePane(each);
    OpenFile(path);
  }
  return true;
}

bool MainWindow::MaySave(zeb::Document& document, bool lastViewOnly) {
  if (!document.Modified()) return true;
  if (lastViewOnly && ide_->ViewsOf(document).size() > 1) return true;
  const QString name = DisplayName(document);
  const int answer =
      onAskSave
          ? onAskSave(name)
          : QMessageBox::question(
                this, tr("Save changes?"), tr("%1 has unsaved changes. Save them?").arg(name),
                QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
  if (answer == QMessageBox::Cancel) return false;
  if (answer == QMessageBox::Save) return SaveTo(document, QString());
  return true;
}

bool MainWindow::CloseTab(int index) {
  const std::vector<EditorWidget*> panes = PanesOf(index);
  if (panes.empty()) return false;
  if (!MaySave(panes.front()->View()->GetDocument(), false)) return false;
  for (EditorWidget* pane : panes)
    RemovePane(pane);
  if (EditorWidget* current = CurrentEditor()) ide_->Activate(current->View());
  UpdateStatus();
  return true;
}

bool MainWindow::CloseCurrent() {
  return tabs_->count() > 0 && CloseTab(tabs_->currentIndex());
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

void MainWindow::closeEvent(QCloseEvent* event) {
  // One question for each modified document, however many panes show it.
  for (int i = 0; i < tabs_->count(); ++i) {
    const std::vector<EditorWidget*> panes = PanesOf(i);
    if (!panes.empty() && !MaySave(panes.front()->View()->GetDocument(), false)) {
      event->ignore();
      return;
    }
  }
  event->accept();
}

// ---- Editing ----------------------------------------------------------------------------------

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

void MainWindow::GoToLine(int line) {
  EditCommand([line](EditorWidget& pane) {
    pane.View()->SetCursor({line, 1});
    pane.SyncSelectionFromView();
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

void MainWindow::ToggleCompanion() {
  EditorWidget* pane = CurrentEditor();
  if (pane == nullptr) return;
  const zeb::Document& document = pane->View()->GetDocument();
  const auto module = ide_->ModuleOf(document);
  if (!module || module->FileCount() < 2) {
    statusBar()->showMessage(tr("%1 has no companion file").arg(DisplayName(document)), 3000);
    return;
  }
  const std::size_t next = (module->IndexOf(document) + 1) % module->FileCount();
  ide_->ShowFile(module->File(next)->Path());
}

// ---- Tools ------------------------------------------------------------------------------------

QTreeWidget* MainWindow::CreatePackageTree(QWidget* parent) const {
  auto* tree = new QTreeWidget(parent);
  tree->setHeaderLabels({tr("Package"), tr("Description")});
  for (const auto& package : ide_->Packages()) {
    const zeb::PackageIdentity& id = package->Identity();
    auto* item = new QTreeWidgetItem(tree, {Q(id.name), Q(id.description)});
    for (const zeb::IdentityRow& row : package->IdentityRows())
      new QTreeWidgetItem(item, {Q(row.label), Q(row.value)});
    item->setExpanded(true);
  }
  tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  return tree;
}

void MainWindow::ShowPackages() {
  QDialog dialog(this);
  dialog.setWindowTitle(tr("Packages"));
  dialog.resize(720, 360);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(CreatePackageTree(&dialog));
  dialog.exec();
}

bool MainWindow::TraceViewerRunning() const {
  return traceView_ != nullptr && traceView_->Receiving();
}

void MainWindow::ToggleTraceViewer() {
  if (TraceViewerRunning()) {
    if (traceDock_->isVisible()) {
      StopTraceViewer();
      traceDock_->hide();
    } else {
      traceDock_->show();
    }
    traceAction_->setChecked(TraceViewerRunning());
    return;
  }
  if (traceDock_ == nullptr) {
    traceDock_ = new QDockWidget(tr("Trace"), this);
    traceDock_->setObjectName(QStringLiteral("TraceDock"));
    traceDock_->installEventFilter(this);
    traceView_ = new TraceView(true, traceDock_);
    traceView_->ForPanel();
    connect(traceView_, &TraceView::openLogRequested, this, [this](const QString& path) {
      if (const auto why = TraceWindow::OpenLogWindow(path, this)) Report(tr("Open Log"), *why);
    });
    traceDock_->setWidget(traceView_);
    addDockWidget(Qt::BottomDockWidgetArea, traceDock_);
  }
  traceDock_->show();
  // When another viewer runs, the panel says so in its place and shows no traces.
  traceAction_->setChecked(traceView_->StartReceiving());
}

void MainWindow::StopTraceViewer() {
  if (!TraceViewerRunning()) return;
  traceView_->StopReceiving();  // frees the socket
  if (traceAction_ != nullptr) traceAction_->setChecked(false);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  // Closing the panel with its close control stops its viewer, which frees the socket.
  if (watched == traceDock_ && event->type() == QEvent::Close) StopTraceViewer();
  return QMainWindow::eventFilter(watched, event);
}

// ---- Observer ---------------------------------------------------------------------------------

void MainWindow::Report(const QString& title, const QString& text) {
  if (onMessage) {
    onMessage(title, text);
    return;
  }
  QMessageBox::warning(this, title, text);
}

void MainWindow::OnFault(const zeb::Fault& fault) {
  Report(tr("Add-in error"),
         tr("%1 raised %2:\n%3").arg(Q(fault.where), Q(fault.className), Q(fault.message)));
}

TModalResult MainWindow::OnDialog(TForm& form) {
  return presenter_.ShowModal(form);
}

void MainWindow::OnMessage(const std::string& text) {
  Report(tr("ZEB IDE"), Q(text));
}

void MainWindow::OnDocumentChanged(zeb::Document& document, const zeb::TextChange& change) {
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

void MainWindow::OnPaint(zeb::EditView& view) {
  if (EditorWidget* editor = EditorOf(view)) editor->viewport()->update();
}

void MainWindow::OnTopViewChanged(zeb::EditView& view) {
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

QSplitter* MainWindow::TabOf(const zeb::Document& document) const {
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

EditorWidget* MainWindow::AddPane(const std::shared_ptr<zeb::EditView>& view) {
  const zeb::Document& document = view->GetDocument();
  DocumentScreen*& screen = screens_[&document];
  if (screen == nullptr) screen = new DocumentScreen(view->GetDocument());
  QSplitter* splitter = TabOf(document);
  const bool newTab = splitter == nullptr;
  if (newTab) {
    splitter = new QSplitter(Qt::Horizontal, tabs_);
    splitter->setChildrenCollapsible(false);
  }
  auto* pane = new EditorWidget(*ide_, view, *screen, splitter);
  pane->onKeyPassedOn = [this](QKeyEvent& event) { return RunShortcut(event); };
  splitter->addWidget(pane);
  connect(pane, &EditorWidget::StatusChanged, this, [this, pane] {
    if (pane == CurrentEditor()) UpdateStatus();
  });
  if (newTab) {
    const int index = tabs_->addTab(splitter, DisplayName(document));
    tabs_->setTabToolTip(index, Q(document.Path()));
  } else {
    // Panes share the width equally.
    splitter->setSizes(QList<int>(splitter->count(), std::max(1, splitter->width())));
  }
  UpdateTabTitle(document);
  return pane;
}

void MainWindow::RemovePane(EditorWidget* pane) {
  const std::shared_ptr<zeb::EditView> view = pane->View();
  const zeb::Document* document = &view->GetDocument();
  QWidget* tab = pane->parentWidget();
  if (lastPane_ == pane) lastPane_ = nullptr;
  findBar_->SetEditor(nullptr);
  delete pane;
  const auto found = screens_.find(document);
  if (found != screens_.end() && found->second->Panes().empty()) {
    delete found->second;
    screens_.erase(found);
    delete tab;
  }
  ide_->CloseView(view);
}

EditorWidget* MainWindow::EditorOf(const zeb::EditView& view) const {
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

void MainWindow::UpdateTabTitle(const zeb::Document& document) {
  QSplitter* tab = TabOf(document);
  const int index = tab != nullptr ? tabs_->indexOf(tab) : -1;
  if (index < 0) return;
  tabs_->setTabText(
      index, DisplayName(document) + (document.Modified() ? QStringLiteral(" *") : QString()));
}

void MainWindow::UpdateStatus() {
  EditorWidget* pane = CurrentEditor();
  if (pane == nullptr) {
    for (QLabel* label : {position_, tabWidth_, encoding_, lineEnd_, modified_})
      label->clear();
    setWindowTitle(QStringLiteral("ZEB IDE"));
    setWindowModified(false);
    return;
  }
  const zeb::Document& document = pane->View()->GetDocument();
  const zeb::TextPos at = pane->TextPosAt(pane->Caret());
  const int column = pane->CaretColumn();
  QString position = tr("Ln %1, Col %2").arg(at.line).arg(column);
  if (at.col != column) position += tr(" (byte %1)").arg(at.col);
  position_->setText(position);
  tabWidth_->setText(tr("Tab %1").arg(pane->View()->TabWidth()));
  encoding_->setText(QString::fromLatin1(EncodingName(pane->Screen().Encoding())));
  lineEnd_->setText(pane->eolMode() == QsciScintilla::EolWindows ? QStringLiteral("CRLF")
                                                                 : QStringLiteral("LF"));
  modified_->setText(document.Modified() ? tr("Modified") : QString());
  setWindowTitle(DisplayName(document) + QStringLiteral("[*] — ") + Q(document.Path()));
  setWindowModified(document.Modified());
}

QString MainWindow::StatusText() {
  UpdateStatus();
  QStringList parts;
  for (const QLabel* label : {position_, tabWidth_, encoding_, lineEnd_, modified_})
    if (!label->text().isEmpty()) parts << label->text();
  return parts.join(QStringLiteral(" | "));
}

}  // namespace zeb
