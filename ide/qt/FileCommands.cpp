#include "ide/qt/FileCommands.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <algorithm>

#include "ide/core/Module.h"
#include "ide/qt/DiskWatch.h"
#include "ide/qt/DocumentNames.h"
#include "ide/qt/EditorWidget.h"
#include "ide/qt/FileArguments.h"
#include "ide/qt/FileDialogs.h"
#include "ide/qt/MainWindow.h"
#include "ide/qt/QtStrings.h"
#include "runtime/Exceptions.h"

namespace zeb {

namespace {
constexpr int kMaxRecentFiles = 8;
const QString kRecentFiles = QStringLiteral("recentFiles");

// The pane of `view` among the panes of its document.
EditorWidget* PaneOf(MainWindow& window, const EditView& view) {
  for (EditorWidget* pane : window.PanesOf(view.GetDocument()))
    if (pane->View().get() == &view) return pane;
  return nullptr;
}
}  // namespace

FileCommands::FileCommands(MainWindow& window) : QObject(&window), window_(window) {}

EditorWidget* FileCommands::Open(const QString& path) {
  try {
    EditView& view = window_.Ide().Open(S(path));
    AddRecent(QFileInfo(path).absoluteFilePath());
    RememberFolderOf(QFileInfo(path).absoluteFilePath());
    return PaneOf(window_, view);
  } catch (const std::exception&) {
    // The IDE's message names the file and the reason ("cannot open FILE: not a regular file").
    window_.Report(tr("Cannot open file"), Q(DescribeException(std::current_exception()).message));
    return nullptr;
  }
}

EditorWidget* FileCommands::New() {
  EditView& view = window_.Ide().New();
  NameUntitled(view.SharedDocument());
  EditorWidget* pane = PaneOf(window_, view);
  window_.UpdateTabTitle(view.GetDocument());
  window_.UpdateStatus();
  return pane;
}

EditorWidget* FileCommands::OpenAt(const FileLocation& location) {
  const QString path = QFile::decodeName(QByteArray::fromStdString(location.path));
  const QFileInfo info(path);
  EditorWidget* pane = nullptr;
  if (info.exists() || info.isSymLink()) {
    pane = Open(path);
  } else {
    try {
      pane = PaneOf(window_, window_.Ide().New(S(path)));
    } catch (const std::exception&) {
      window_.Report(tr("Cannot create file"),
                     Q(DescribeException(std::current_exception()).message));
      return nullptr;
    }
  }
  if (pane != nullptr && location.line > 0) window_.GoToLine(location.line, location.column);
  return pane;
}

void FileCommands::OpenDialog() {
  const EditorWidget* pane = window_.CurrentEditor();
  const std::string current = pane != nullptr ? pane->View()->GetDocument().Path() : "";
  const QString folder = current.empty() ? QString() : QFileInfo(Q(current)).absolutePath();
  for (const QString& path : AskFilesToOpen(&window_, folder))
    Open(path);
}

int FileCommands::Ask(const QString& title, const QString& text, int buttons, int preferred,
                      const QString& saveText, const QString& discardText) {
  QMessageBox box(QMessageBox::Question, title, text,
                  static_cast<QMessageBox::StandardButtons>(buttons), &window_);
  box.setDefaultButton(static_cast<QMessageBox::StandardButton>(preferred));
  if (!saveText.isEmpty() && box.button(QMessageBox::Save) != nullptr)
    box.button(QMessageBox::Save)->setText(saveText);
  if (!discardText.isEmpty() && box.button(QMessageBox::Discard) != nullptr)
    box.button(QMessageBox::Discard)->setText(discardText);
  return box.exec();
}

bool FileCommands::Save(Document& document) {
  if (document.Path().empty()) return SaveAs(document);
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
    // The IDE's message names the file and the reason ("cannot save FILE: Permission denied").
    window_.Report(tr("Cannot save file"), Q(DescribeException(std::current_exception()).message));
    return false;
  }
  RememberFolderOf(Q(document.Path()));
  window_.Disk().CheckAll();
  window_.UpdateTabTitle(document);
  window_.UpdateStatus();
  return true;
}

bool FileCommands::SaveAs(Document& document) {
  const QString current = Q(document.Path());
  const QString start = current.isEmpty() ? LastFolder() : current;
  const QString chosen =
      window_.onAskSavePath ? window_.onAskSavePath(start) : AskSavePath(&window_, start);
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
    window_.Report(tr("Cannot save file"), Q(DescribeException(std::current_exception()).message));
    return false;
  }
  ForgetName(document);
  window_.Disk().Renamed(document, oldPath);
  for (EditorWidget* each : window_.PanesOf(document))
    each->ApplyLexer();  // the new name may be another language's
  AddRecent(Q(path));
  RememberFolderOf(Q(path));
  window_.UpdateTabTitle(document);
  window_.UpdateStatus();
  return true;
}

bool FileCommands::SaveAll() {
  for (Document* document : window_.Documents())
    if (document->Modified() && !Save(*document)) return false;
  return true;
}

bool FileCommands::NeedsQuestion(Document& document) {
  return document.Modified() || document.CheckDisk() == Document::DiskState::Missing;
}

bool FileCommands::MaySave(Document& document, bool lastViewOnly) {
  if (!NeedsQuestion(document)) return true;
  if (lastViewOnly && window_.Ide().ViewsOf(document).size() > 1) return true;
  const bool gone = !document.Modified();
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

bool FileCommands::MaySaveAll(const std::vector<Document*>& documents) {
  std::vector<Document*> asked;
  for (Document* document : documents)
    if (std::find(asked.begin(), asked.end(), document) == asked.end() && NeedsQuestion(*document))
      asked.push_back(document);
  if (asked.empty()) return true;
  if (asked.size() == 1) return MaySave(*asked.front(), false);
  QStringList names;
  for (Document* document : asked)
    names << (document->Modified()
                  ? DisplayName(*document)
                  : tr("%1 (deleted or moved away on disk)").arg(DisplayName(*document)));
  const int answer =
      window_.onAskSaveAll
          ? window_.onAskSaveAll(names)
          : Ask(tr("Save changes?"),
                tr("%n files have unsaved changes:", nullptr, static_cast<int>(names.size())) +
                    QStringLiteral("\n\n    ") + names.join(QStringLiteral("\n    ")) +
                    QStringLiteral("\n\n") + tr("Save them all?"),
                QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save,
                tr("Save All"), tr("Discard All"));
  if (answer == QMessageBox::Cancel) return false;
  if (answer != QMessageBox::Save) return true;
  for (Document* document : asked)
    if (!Save(*document)) return false;
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
