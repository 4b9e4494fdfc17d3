#include "ide/qt/DiskWatch.h"

#include <QFileInfo>
#include <QPushButton>
#include <vector>

#include "ide/core/EditView.h"
#include "ide/qt/DiskChangeBar.h"
#include "ide/qt/DocumentScreen.h"
#include "ide/qt/EdgeGuard.h"
#include "ide/qt/EditorWidget.h"
#include "ide/qt/MainWindow.h"
#include "ide/qt/QtStrings.h"

namespace zeb {

namespace {
// How long the check waits after the system's last notification.
constexpr int kSettleMs = 150;

ViewState Clamped(const Document& document, ViewState state) {
  state.cursor = document.Clamp(state.cursor);
  state.blockStart = document.Clamp(state.blockStart);
  state.blockEnd = document.Clamp(state.blockEnd);
  return state;
}
}  // namespace

DiskWatch::DiskWatch(MainWindow& window, DiskChangeBar& bar)
    : QObject(&window), window_(window), bar_(bar) {
  settle_.setSingleShot(true);
  settle_.setInterval(kSettleMs);
  connect(&settle_, &QTimer::timeout, this, [this] { CheckAll(true); });
  connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] { settle_.start(); });
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { settle_.start(); });
  connect(&bar_, &DiskChangeBar::ReloadChosen, this, [this] {
    for (auto& [document, notice] : documents_)
      if (document == shown_) {
        RunAtEdge(tr("Reloading %1").arg(DisplayName(*document)),
                  [this, document = document] { Reload(*document); });
        return;
      }
  });
  connect(&bar_, &DiskChangeBar::KeepChosen, this, [this] {
    for (auto& [document, notice] : documents_)
      if (document == shown_) notice.dismissed = true;
    ShowNoticeFor(shown_);
  });
}

void DiskWatch::WatchPath(const std::string& path) {
  // The folder too: a file replaced by a rename, or made again after it was removed, is no
  // longer the file a watch on it follows.
  const QString file = Q(path);
  if (QFileInfo::exists(file) && !watcher_.files().contains(file)) watcher_.addPath(file);
  const QString folder = QFileInfo(file).absolutePath();
  if (!watcher_.directories().contains(folder)) watcher_.addPath(folder);
}

void DiskWatch::Watch(Document& document) {
  documents_.try_emplace(&document);
  WatchPath(document.Path());
  Check(document, false);
}

void DiskWatch::Forget(const Document& document) {
  for (auto it = documents_.begin(); it != documents_.end(); ++it) {
    if (it->first != &document) continue;
    const QString file = Q(document.Path());
    documents_.erase(it);
    if (shown_ == &document) ShowNoticeFor(nullptr);
    // Folders stay watched while another document is in them.
    bool folderUsed = false;
    const QString folder = QFileInfo(file).absolutePath();
    for (const auto& entry : documents_)
      folderUsed = folderUsed || QFileInfo(Q(entry.first->Path())).absolutePath() == folder;
    watcher_.removePath(file);
    if (!folderUsed) watcher_.removePath(folder);
    return;
  }
}

void DiskWatch::Renamed(Document& document, const std::string& oldPath) {
  watcher_.removePath(Q(oldPath));
  documents_[&document] = {};
  WatchPath(document.Path());
  ShowNoticeFor(shown_);
}

void DiskWatch::CheckAll(bool news) {
  std::vector<Document*> documents;
  for (const auto& entry : documents_)
    documents.push_back(entry.first);
  for (Document* document : documents) {
    if (documents_.count(document) == 0) continue;  // closed by a check before it
    WatchPath(document->Path());
    Check(*document, news);
  }
}

void DiskWatch::Check(Document& document, bool news) {
  Notice& notice = documents_[&document];
  const Document::DiskState state = document.CheckDisk();
  if (state == Document::DiskState::Unchanged) {
    notice = {};
  } else {
    const FileIdentity now = FileStore::Identify(document.Path());
    // A notice dismissed, or a reload that failed, stays so until the file changes once more.
    if (notice.state == state && !(news && notice.seen != now)) return;
    notice = {state, now, false};
    if (state == Document::DiskState::Changed && !document.Modified()) {
      RunAtEdge(tr("Reloading %1").arg(DisplayName(document)), [&] { Reload(document); });
      return;
    }
  }
  if (shown_ == &document || notice.state != Document::DiskState::Unchanged) ShowNoticeFor(shown_);
}

void DiskWatch::Reload(Document& document) {
  const std::vector<EditorWidget*> panes = window_.PanesOf(document);
  if (DocumentScreen* screen = window_.ScreenOf(document)) screen->Flush();
  std::vector<ViewState> states;
  for (EditorWidget* pane : panes) {
    pane->PushSelectionToView();
    states.push_back(pane->View()->State());
  }
  EditorWidget* current = window_.CurrentEditor();
  ViewState before = states.empty() ? ViewState{} : states.front();
  for (std::size_t i = 0; i < panes.size(); ++i)
    if (panes[i] == current) before = states[i];
  try {
    document.Reload(before);
  } catch (const std::exception&) {
    window_.Report(tr("Cannot reload file"),
                   Q(DescribeException(std::current_exception()).message));
    return;
  }
  // Each pane's cursor keeps its line and column, where the new text has them.
  for (std::size_t i = 0; i < panes.size(); ++i) {
    const ViewState state = Clamped(document, states[i]);
    EditView& view = *panes[i]->View();
    if (state.HasBlock())
      view.Select(state.cursor == state.blockStart ? state.blockEnd : state.blockStart,
                  state.cursor);
    else
      view.SetCursor(state.cursor);
    panes[i]->SyncSelectionFromView();
  }
  documents_[&document] = {};
  ShowNoticeFor(shown_);
  window_.UpdateTabTitle(document);
  window_.UpdateStatus();
}

QString DiskWatch::NoticeOf(const Document& document) const {
  for (const auto& [watched, notice] : documents_) {
    if (watched != &document || notice.dismissed) continue;
    switch (notice.state) {
      case Document::DiskState::Unchanged:
        return {};
      case Document::DiskState::Changed:
        return tr("%1 was changed on disk by another program. Reload it (Undo brings your text "
                  "back), or keep yours?")
            .arg(DisplayName(document));
      case Document::DiskState::Missing:
        return tr("%1 was deleted or moved away on disk. Saving writes it again.")
            .arg(DisplayName(document));
    }
  }
  return {};
}

void DiskWatch::ShowNoticeFor(const Document* document) {
  shown_ = document;
  const QString text = document != nullptr ? NoticeOf(*document) : QString();
  if (text.isEmpty()) {
    bar_.hide();
    return;
  }
  const auto found = documents_.find(document);
  bar_.ShowNotice(text, found->second.state == Document::DiskState::Changed);
}

}  // namespace zeb
