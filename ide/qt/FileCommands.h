// FileCommands: the File menu's work. Making documents (File -> New, untitled until saved under a
// name; a file named on the command line that does not exist yet, made at its first save),
// opening (a dialog that starts in the current file's folder and lists the module extensions,
// recent files), saving (asking before it overwrites a file that another program changed since
// it was read; an untitled document asks for a name), Save As (the document moves to the new
// file with its history, cursor and tab), Save All, and the questions before documents close:
// one document is asked about alone, several in one question that lists them.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

namespace zeb {

class Document;
class EditorWidget;
class MainWindow;
struct FileLocation;

class FileCommands final : public QObject {
  Q_OBJECT

 public:
  explicit FileCommands(MainWindow& window);

  // Opens a file (or switches to it); a file that cannot be opened is reported with what the
  // IDE said. Null on failure.
  EditorWidget* Open(const QString& path);
  // An untitled document (File -> New).
  EditorWidget* New();
  // A file named on the command line, at its line and column: opened when it exists, else an
  // empty document that its first save creates. Null on failure, which was reported.
  EditorWidget* OpenAt(const FileLocation& location);
  void OpenDialog();
  // Saves the document to its file (an untitled one under a name the user chooses); false when
  // it failed (and was reported), the user cancelled, or would not overwrite a file changed on
  // disk.
  bool Save(Document& document);
  // Saves the document under a name the user chooses, which becomes its file.
  bool SaveAs(Document& document);
  // Saves every modified document, in the order of the tabs; false at the first that was not.
  bool SaveAll();
  // Before a document closes: asks whether to save it when it is modified (with
  // `lastViewOnly`, only when no other view shows it) or its file has gone. False when the user
  // cancels or the save failed.
  bool MaySave(Document& document, bool lastViewOnly = true);
  // Before documents close together (Close All, Close Others, quitting): one question for those
  // that are modified or whose file has gone, listing them: Save All, Discard All or Cancel.
  // False when the user cancels or a save failed.
  bool MaySaveAll(const std::vector<Document*>& documents);

  QStringList RecentFiles() const;

 private:
  void AddRecent(const QString& path);
  // Whether closing would lose something of the document.
  static bool NeedsQuestion(Document& document);
  // A question in a message box; `saveText` and `discardText` rename its buttons.
  int Ask(const QString& title, const QString& text, int buttons, int preferred,
          const QString& saveText = QString(), const QString& discardText = QString());

  MainWindow& window_;
};

}  // namespace zeb
