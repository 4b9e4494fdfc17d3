#include "ide/qt/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "ide/qt/EditorWidget.h"
#include "ide/qt/FormDialog.h"
#include "runtime/Exceptions.h"
#include "runtime/SysUtils.h"

namespace ide::qt {

namespace {

constexpr int kMaxRecentFiles = 8;

QString Q(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
std::string S(const QString& s) {
  const QByteArray utf8 = s.toUtf8();
  return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

QString DisplayName(const zebide::Document& document) {
  return QFileInfo(Q(document.Path())).fileName();
}

}  // namespace

MainWindow::MainWindow(zebide::Ide::Options options, QWidget* parent)
    : QMainWindow(parent), presenter_(this) {
  InstallFontSubstitutions();
  setWindowTitle(QStringLiteral("ZEB IDE"));
  resize(1000, 700);

  tabs_ = new QTabWidget(this);
  tabs_->setTabsClosable(true);
  tabs_->setMovable(true);
  tabs_->setDocumentMode(true);
  setCentralWidget(tabs_);
  connect(tabs_, &QTabWidget::tabCloseRequested, this, [this](int index) { CloseTab(index); });
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int) {
    if (EditorWidget* editor = CurrentEditor()) {
      if (ide_->TopView() != editor->View()) ide_->Activate(editor->View());
      editor->setFocus();
    }
    UpdateStatus();
  });

  position_ = new QLabel(this);
  modified_ = new QLabel(this);
  indent_ = new QLabel(this);
  statusBar()->addPermanentWidget(position_);
  statusBar()->addPermanentWidget(modified_);
  statusBar()->addPermanentWidget(indent_);

  ide_ = std::make_unique<zebide::Ide>(*this, std::move(options));
  BuildMenus();
  UpdateStatus();
}

MainWindow::~MainWindow() {
  // The editors go first, while the IDE they drive is still there; then the IDE unloads its
  // packages, reporting to this window while it still is one.
  while (tabs_->count() > 0)
    delete tabs_->widget(0);
  if (trace_ != nullptr) {
    trace_->terminate();
    trace_->waitForFinished(2000);
  }
  ide_.reset();
}

// ---- Menus ------------------------------------------------------------------------------------

void MainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->addAction(tr("&Open..."), QKeySequence::Open, this, &MainWindow::OpenDialog);
  recentMenu_ = file->addMenu(tr("Open &Recent"));
  connect(recentMenu_, &QMenu::aboutToShow, this, &MainWindow::FillRecentMenu);
  file->addAction(tr("&Save"), QKeySequence::Save, this, &MainWindow::Save);
  file->addAction(tr("Save &As..."), QKeySequence::SaveAs, this, &MainWindow::SaveAs);
  file->addAction(tr("&Close"), QKeySequence::Close, this, &MainWindow::CloseCurrent);
  file->addSeparator();
  file->addAction(tr("&Quit"), QKeySequence::Quit, this, &QWidget::close);

  // Undo and redo have no shortcut here: the editor takes Ctrl+Z and Ctrl+Y itself, after the
  // key bindings have had them.
  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  edit->addAction(tr("&Undo"), this, &MainWindow::Undo);
  edit->addAction(tr("&Redo"), this, &MainWindow::Redo);

  QMenu* view = menuBar()->addMenu(tr("&View"));
  view->addAction(tr("&Split View"), this, &MainWindow::SplitView);

  QMenu* tools = menuBar()->addMenu(tr("&Tools"));
  tools->addAction(tr("&Packages..."), this, &MainWindow::ShowPackages);
  tools->addAction(tr("&Trace Viewer"), this, &MainWindow::StartTraceViewer);

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->addAction(tr("&About"), this, [this] {
    QMessageBox::about(this, tr("About ZEB IDE"),
                       tr("ZEB IDE: an IDE host for design-time packages.\n"
                          "Tab and Shift+Tab indent and unindent the selected block; "
                          "Ctrl+Alt+U shows what the IDE says about the current editor."));
  });
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

// ---- Files ------------------------------------------------------------------------------------

bool MainWindow::LoadPackage(const QString& path) {
  return ide_->LoadPackage(S(path));
}

EditorWidget* MainWindow::OpenFile(const QString& path) {
  try {
    zebide::EditView& view = ide_->Open(S(path));
    AddRecent(QFileInfo(path).absoluteFilePath());
    return EditorOf(view);
  } catch (const std::exception&) {
    const ExceptionDescription d = DescribeException(std::current_exception());
    Report(tr("Cannot open file"), tr("Cannot open %1:\n%2").arg(path, Q(d.message)));
    return nullptr;
  }
}

void MainWindow::OpenDialog() {
  const QStringList paths = QFileDialog::getOpenFileNames(
      this, tr("Open"), QString(),
      tr("Source files (*.pas *.dpr *.dpk *.dfm *.cpp *.cc *.c *.h *.hpp);;All files (*)"));
  for (const QString& path : paths)
    OpenFile(path);
}

bool MainWindow::SaveTo(EditorWidget& editor, const QString& path) {
  zebide::Document& document = editor.View()->GetDocument();
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
  zebide::TextChange saved;
  saved.kind = zebide::TextChange::Kind::Saved;
  OnDocumentChanged(document, saved);
  return true;
}

bool MainWindow::Save() {
  EditorWidget* editor = CurrentEditor();
  return editor != nullptr && SaveTo(*editor, QString());
}

bool MainWindow::SaveAs() {
  EditorWidget* editor = CurrentEditor();
  if (editor == nullptr) return false;
  const QString path =
      QFileDialog::getSaveFileName(this, tr("Save As"), Q(editor->View()->GetDocument().Path()));
  if (path.isEmpty() || !SaveTo(*editor, path)) return false;
  // The saved copy is the file from now on: open it in place of the view it came from.
  const int index = tabs_->indexOf(editor);
  if (S(QFileInfo(path).absoluteFilePath()) != editor->View()->GetDocument().Path()) {
    const std::shared_ptr<zebide::EditView> old = editor->View();
    delete editor;
    ide_->CloseView(old);
    if (EditorWidget* opened = OpenFile(path)) tabs_->setCurrentWidget(opened);
    (void)index;
  }
  return true;
}

bool MainWindow::MaySave(EditorWidget& editor, bool lastViewOnly) {
  zebide::Document& document = editor.View()->GetDocument();
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
  if (answer == QMessageBox::Save) return SaveTo(editor, QString());
  return true;
}

bool MainWindow::CloseTab(int index) {
  auto* editor = qobject_cast<EditorWidget*>(tabs_->widget(index));
  if (editor == nullptr) return false;
  if (!MaySave(*editor)) return false;
  const std::shared_ptr<zebide::EditView> view = editor->View();
  delete editor;
  ide_->CloseView(view);
  if (EditorWidget* current = CurrentEditor()) ide_->Activate(current->View());
  UpdateStatus();
  return true;
}

bool MainWindow::CloseCurrent() {
  return tabs_->count() > 0 && CloseTab(tabs_->currentIndex());
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // One question for each modified document, however many views show it.
  std::vector<const zebide::Document*> asked;
  for (int i = 0; i < tabs_->count(); ++i) {
    auto* editor = qobject_cast<EditorWidget*>(tabs_->widget(i));
    if (editor == nullptr) continue;
    const zebide::Document* document = &editor->View()->GetDocument();
    if (std::find(asked.begin(), asked.end(), document) != asked.end()) continue;
    asked.push_back(document);
    if (!MaySave(*editor, false)) {
      event->ignore();
      return;
    }
  }
  event->accept();
}

// ---- Editing ----------------------------------------------------------------------------------

void MainWindow::Undo() {
  if (EditorWidget* editor = CurrentEditor()) {
    editor->View()->Undo();
    editor->SyncSelectionFromView();
  }
}

void MainWindow::Redo() {
  if (EditorWidget* editor = CurrentEditor()) {
    editor->View()->Redo();
    editor->SyncSelectionFromView();
  }
}

void MainWindow::SplitView() {
  if (CurrentEditor() == nullptr) return;
  try {
    ide_->Split();
  } catch (const std::exception&) {
    Report(tr("Cannot split"), Q(DescribeException(std::current_exception()).message));
  }
}

// ---- Tools ------------------------------------------------------------------------------------

QTreeWidget* MainWindow::CreatePackageTree(QWidget* parent) const {
  auto* tree = new QTreeWidget(parent);
  tree->setHeaderLabels({tr("Package"), tr("Description")});
  for (const auto& package : ide_->Packages()) {
    const zebide::PackageIdentity& id = package->Identity();
    auto* item = new QTreeWidgetItem(tree, {Q(id.name), Q(id.description)});
    for (const zebide::IdentityRow& row : package->IdentityRows())
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

void MainWindow::StartTraceViewer() {
  if (trace_ != nullptr && trace_->state() != QProcess::NotRunning) return;
  const QString program = Q(ide_->Environment().binDirectory) + QStringLiteral("zeb-trace");
  if (!QFileInfo(program).isExecutable()) {
    Report(tr("Trace viewer"), tr("The trace viewer %1 is not installed.").arg(program));
    return;
  }
  if (traceOutput_ == nullptr) {
    auto* dock = new QDockWidget(tr("Trace"), this);
    traceOutput_ = new QPlainTextEdit(dock);
    traceOutput_->setReadOnly(true);
    traceOutput_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    dock->setWidget(traceOutput_);
    addDockWidget(Qt::BottomDockWidgetArea, dock);
  }
  trace_ = new QProcess(this);
  trace_->setProcessChannelMode(QProcess::MergedChannels);
  connect(trace_, &QProcess::readyRead, this, [this] {
    traceOutput_->moveCursor(QTextCursor::End);
    traceOutput_->insertPlainText(QString::fromUtf8(trace_->readAll()));
  });
  connect(trace_, &QProcess::finished, this, [this](int code, QProcess::ExitStatus) {
    traceOutput_->appendPlainText(tr("[the trace viewer ended with status %1]").arg(code));
  });
  trace_->start(program, {});
}

// ---- Observer ---------------------------------------------------------------------------------

void MainWindow::Report(const QString& title, const QString& text) {
  if (onMessage) {
    onMessage(title, text);
    return;
  }
  QMessageBox::warning(this, title, text);
}

void MainWindow::OnFault(const zebide::Fault& fault) {
  Report(tr("Add-in error"),
         tr("%1 raised %2:\n%3").arg(Q(fault.where), Q(fault.className), Q(fault.message)));
}

TModalResult MainWindow::OnDialog(TForm& form) {
  return presenter_.ShowModal(form);
}

void MainWindow::OnMessage(const std::string& text) {
  Report(tr("ZEB IDE"), Q(text));
}

void MainWindow::OnDocumentChanged(zebide::Document& document, const zebide::TextChange&) {
  for (const auto& view : ide_->ViewsOf(document))
    if (EditorWidget* editor = EditorOf(*view)) {
      editor->SyncFromDocument();
      UpdateTitle(editor);
    }
  UpdateStatus();
}

void MainWindow::OnPaint(zebide::EditView& view) {
  if (EditorWidget* editor = EditorOf(view)) editor->viewport()->update();
}

void MainWindow::OnTopViewChanged(zebide::EditView& view) {
  EditorWidget* editor = EditorOf(view);
  if (editor == nullptr) {
    for (const auto& shared : ide_->ViewsOf(view.GetDocument()))
      if (shared.get() == &view) editor = AddTab(shared);
  }
  if (editor != nullptr && tabs_->currentWidget() != editor) tabs_->setCurrentWidget(editor);
  UpdateStatus();
}

// ---- Tabs and status --------------------------------------------------------------------------

EditorWidget* MainWindow::AddTab(const std::shared_ptr<zebide::EditView>& view) {
  // Every view of a document shows it the same way: the codec is chosen once, by its first view.
  LineCodec codec = LineCodec::For(view->GetDocument().Buffer());
  for (const auto& other : ide_->ViewsOf(view->GetDocument()))
    if (const EditorWidget* shown = EditorOf(*other)) codec = shown->Codec();
  auto* editor = new EditorWidget(*ide_, view, codec, tabs_);
  if (!editor->ReadOnlyReason().isEmpty())
    statusBar()->showMessage(DisplayName(view->GetDocument()) + QStringLiteral(": ") +
                             editor->ReadOnlyReason());
  connect(editor, &EditorWidget::StatusChanged, this, [this, editor] {
    UpdateTitle(editor);
    if (editor == CurrentEditor()) UpdateStatus();
  });
  const QString name = DisplayName(view->GetDocument());
  tabs_->addTab(editor, name);
  tabs_->setTabToolTip(tabs_->indexOf(editor), Q(view->GetDocument().Path()));
  UpdateTitle(editor);
  return editor;
}

EditorWidget* MainWindow::EditorOf(const zebide::EditView& view) const {
  for (int i = 0; i < tabs_->count(); ++i) {
    auto* editor = qobject_cast<EditorWidget*>(tabs_->widget(i));
    if (editor != nullptr && editor->View().get() == &view) return editor;
  }
  return nullptr;
}

EditorWidget* MainWindow::CurrentEditor() const {
  return qobject_cast<EditorWidget*>(tabs_->currentWidget());
}

void MainWindow::UpdateTitle(EditorWidget* editor) {
  const int index = tabs_->indexOf(editor);
  if (index < 0) return;
  const zebide::Document& document = editor->View()->GetDocument();
  QString title = DisplayName(document);
  if (ide_->ViewsOf(document).size() > 1) {
    int n = 0;
    for (const auto& view : ide_->ViewsOf(document)) {
      ++n;
      if (view == editor->View()) break;
    }
    title += QStringLiteral(" (%1)").arg(n);
  }
  if (document.Modified()) title += QStringLiteral(" *");
  tabs_->setTabText(index, title);
}

void MainWindow::UpdateStatus() {
  EditorWidget* editor = CurrentEditor();
  if (editor == nullptr) {
    position_->clear();
    modified_->clear();
    indent_->clear();
    setWindowTitle(QStringLiteral("ZEB IDE"));
    return;
  }
  const QTextCursor cursor = editor->textCursor();
  position_->setText(
      tr("Ln %1, Col %2").arg(cursor.blockNumber() + 1).arg(cursor.positionInBlock() + 1));
  const zebide::Document& document = editor->View()->GetDocument();
  modified_->setText(document.Modified() ? tr("Modified") : QString());
  // The step Tab indents a block by: it follows the module's source file, as the add-in does.
  const auto module = ide_->ModuleOf(document);
  const std::string source = module ? module->FileName() : document.Path();
  const int step = ExtractFileExt(LowerCase(source)) == ".pas" ? 2 : 4;
  indent_->setText(tr("Indent %1").arg(step));
  setWindowTitle(tr("%1 - ZEB IDE").arg(Q(document.Path())));
}

QString MainWindow::StatusText() const {
  QStringList parts;
  for (const QLabel* label : {position_, modified_, indent_})
    if (!label->text().isEmpty()) parts << label->text();
  return parts.join(QStringLiteral(" | "));
}

}  // namespace ide::qt
