// DiskWatch: the watch on the files of the documents the window shows. Another program may
// change, replace or remove a file while it is open here:
//   - a document without changes of its own takes the file's new text at once (Reload, an
//     undoable step), each pane keeping its cursor's line and column where the text still has
//     them;
//   - a document with changes keeps them, and the bar over the editors (DiskChangeBar) offers
//     Reload or Keep mine; saving then asks before it overwrites the file (FileCommands);
//   - a file that has gone is reported in the bar; saving writes it again.
// Whether a file changed is the core's judgement (Document::CheckDisk, from the file's identity);
// the system's file notifications, and the window becoming active, only say when to ask it.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <string>

#include "ide/text/Document.h"

namespace zeb {

class DiskChangeBar;
class MainWindow;

class DiskWatch final : public QObject {
  Q_OBJECT

 public:
  DiskWatch(MainWindow& window, DiskChangeBar& bar);

  // A document the window shows now, checked at once; one it no longer shows.
  void Watch(Document& document);
  void Forget(const Document& document);
  // The document's file is another one now (Save As).
  void Renamed(Document& document, const std::string& oldPath);
  // Checks every document watched. With `news`, the system said that something changed: a
  // notice the user dismissed comes back when its file changed again since.
  void CheckAll(bool news = false);
  // Takes in the file's text for `document`, keeping each pane's cursor where it can.
  void Reload(Document& document);
  // Shows the notice of `document` in the bar, or hides the bar when it has none.
  void ShowNoticeFor(const Document* document);
  // What the bar says for `document`, empty for nothing; for tests.
  QString NoticeOf(const Document& document) const;

 private:
  struct Notice {
    Document::DiskState state = Document::DiskState::Unchanged;
    FileIdentity seen;  // the file when the notice was made
    bool dismissed = false;
  };
  void Check(Document& document, bool news);
  void WatchPath(const std::string& path);

  MainWindow& window_;
  DiskChangeBar& bar_;
  QFileSystemWatcher watcher_;
  QTimer settle_;  // notifications come in bursts: the check waits for the last
  std::map<Document*, Notice, std::less<>> documents_;
  const Document* shown_ = nullptr;  // the document whose notice the bar shows
};

}  // namespace zeb
