// FileCommands: the File menu's work. Opening (a dialog that starts in the current file's folder
// and lists the module extensions, recent files), saving (asking before it overwrites a file
// that another program changed since it was read), Save As (the document moves to the new file
// with its history, cursor and tab), and the questions before a document is closed.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace zeb {

class Document;
class EditorWidget;
class MainWindow;

class FileCommands final : public QObject {
  Q_OBJECT

 public:
  explicit FileCommands(MainWindow& window);

  // Opens a file (or switches to it); a file that cannot be opened is reported with what the
  // IDE said. Null on failure.
  EditorWidget* Open(const QString& path);
  void OpenDialog();
  // Saves the document to its file; false when it failed (and was reported) or the user would
  // not overwrite a file changed on disk.
  bool Save(Document& document);
  // Saves the current document under a name the user chooses, which becomes its file.
  bool SaveAs();
  // Before a document closes: asks whether to save it when it is modified (with
  // `lastViewOnly`, only when no other view shows it) or its file has gone. False when the user
  // cancels or the save failed.
  bool MaySave(Document& document, bool lastViewOnly = true);

  QStringList RecentFiles() const;

 private:
  void AddRecent(const QString& path);
  // A question in a message box; `saveText` renames its Save button.
  int Ask(const QString& title, const QString& text, int buttons, int preferred,
          const QString& saveText = QString());

  MainWindow& window_;
};

}  // namespace zeb
