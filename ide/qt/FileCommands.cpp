#include "ide/qt/FileCommands.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>

#include "ide/core/Module.h"
#include "ide/qt/DiskWatch.h"
#include "ide/qt/EditorWidget.h"
#include "ide/qt/MainWindow.h"
#include "ide/qt/QtStrings.h"
#include "runtime/Exceptions.h"

namespace zeb {

namespace {
constexpr int kMaxRecentFiles = 8;
const QString kRecentFiles = QStringLiteral("recentFiles");
}  // namespace

FileCommands::FileCommands(MainWindow& window) : QObject(&window), window_(window) {}

EditorWidget* FileCommands::Open(const QString& path) {
  try {
    EditView& view = window_.Ide().Open(S(path));
    AddRecent(QFileInfo(path).absoluteFilePath());
    for (EditorWidget* pane : window_.PanesOf(view.GetDocument()))
      if (pane->View().get() == &view) return pane;
    return nullptr;
  } catch (const std::exception&) {
    // The IDE's message names the file and the reason ("cannot open FILE: not a regular file").
    window_.Report(tr("Cannot open file"), Q(DescribeException(std::current_exception()).message));
    return nullptr;
  }
}

void FileCommands::OpenDialog() {
  const EditorWidget* pane = window_.CurrentEditor();
  const QString folder = pane != nullptr
                             ? QFileInfo(Q(pane->View()->GetDocument().Path())).absolutePath()
                             : QDir::currentPath();
  const QStringList paths = QFileDialog::getOpenFileNames(
      &window_, tr("Open"), folder,
      tr("Modules (*.pas *.dpr *.dpk *.inc *.dfm *.xfm *.nfm *.cpp *.cc *.cxx *.c *.h *.hpp *.hh "
         "*.hxx);;All files (*)"));
  for (const QString& path : paths)
    Open(path);
}

int FileCommands::Ask(const QString& title, const QString& text, int buttons, int preferred,
                      const QString& saveText) {
  QMessageBox box(QMessageBox::Question, title, text,
                  static_cast<QMessageBox::StandardButtons>(buttons), &window_);
  box.setDefaultButton(static_cast<QMessageBox::StandardButton>(preferred));
  if (!saveText.isEmpty() && box.button(QMessageBox::Save) != nullptr)
    box.button(QMessageBox::Save)->setText(saveText);
  return box.exec();
}

bool FileCommands::Save(Document& document) {
  const QString name = DisplayName(document);
  try {
    try {
      document.Save();
    } catch (const EFileChanged&) {
      const int answer =
          window_.onAskOverwrite
              ? window_.onAskOverwrite(name)
              : Ask(tr("File changed on disk"),
                    tr("%1 was changed on disk by another program since it was read or saved. "
                       "Overwrite it with the text here?")
                        .arg(name),
                    QMessageBox::Save | QMessageBox::Cancel, QMessageBox::Cancel, tr("Overwrite"));
      if (answer != QMessageBox::Save) return false;
      document.Save(Document::SaveMode::Overwrite);
    }
  } catch (const std::exception&) {
    const ExceptionDescription d = DescribeException(std::current_exception());
    window_.Report(tr("Cannot save file"),
                   tr("Cannot save %1:\n%2").arg(Q(document.Path()), Q(d.message)));
    return false;
  }
  window_.Disk().CheckAll();
  window_.UpdateTabTitle(document);
  window_.UpdateStatus();
  return true;
}

bool FileCommands::SaveAs() {
  EditorWidget* pane = window_.CurrentEditor();
  if (pane == nullptr) return false;
  Document& document = pane->View()->GetDocument();
  const QString chosen = window_.onAskSavePath ? window_.onAskSavePath(Q(document.Path()))
                                               : QFileDialog::getSaveFileName(
                                                     &window_, tr("Save As"), Q(document.Path()));
  if (chosen.isEmpty()) return false;
  const std::string path = NormalPath(S(QFileInfo(chosen).absoluteFilePath()));
  if (path == document.Path()) return Save(document);
  // Two documents of one file would overwrite each other's saves.
  for (const auto& module : window_.Ide().Modules())
    if (module->IndexOf(path) < module->FileCount()) {
      window_.Report(
          tr("Cannot save file"),
          tr("%1 is open already: close it first, or choose another name.").arg(Q(path)));
      return false;
    }
  const std::string oldPath = document.Path();
  try {
    document.SaveAs(path);
  } catch (const std::exception&) {
    const ExceptionDescription d = DescribeException(std::current_exception());
    window_.Report(tr("Cannot save file"), tr("Cannot save %1:\n%2").arg(chosen, Q(d.message)));
    return false;
  }
  window_.Disk().Renamed(document, oldPath);
  for (EditorWidget* each : window_.PanesOf(document))
    each->ApplyLexer();  // the new name may be another language's
  AddRecent(Q(path));
  window_.UpdateTabTitle(document);
  window_.UpdateStatus();
  return true;
}

bool FileCommands::MaySave(Document& document, bool lastViewOnly) {
  const bool gone = !document.Modified() && document.CheckDisk() == Document::DiskState::Missing;
  if (!document.Modified() && !gone) return true;
  if (lastViewOnly && window_.Ide().ViewsOf(document).size() > 1) return true;
  const QString name = DisplayName(document);
  const int answer =
      window_.onAskSave
          ? window_.onAskSave(name)
          : Ask(tr("Save changes?"),
                gone ? tr("%1 was deleted or moved away on disk. Save it again?").arg(name)
                     : tr("%1 has unsaved changes. Save them?").arg(name),
                QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
  if (answer == QMessageBox::Cancel) return false;
  if (answer == QMessageBox::Save) return Save(document);
  return true;
}

QStringList FileCommands::RecentFiles() const {
  return QSettings().value(kRecentFiles).toStringList();
}

void FileCommands::AddRecent(const QString& path) {
  QSettings settings;
  QStringList files = settings.value(kRecentFiles).toStringList();
  files.removeAll(path);
  files.prepend(path);
  while (files.size() > kMaxRecentFiles)
    files.removeLast();
  settings.setValue(kRecentFiles, files);
}

}  // namespace zeb
