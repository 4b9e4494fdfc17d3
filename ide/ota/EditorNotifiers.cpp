#include "ide/ota/EditorNotifiers.h"

#include <algorithm>

#include "ide/core/Package.h"
#include "ide/ota/EditBufferMethods.h"
#include "ide/ota/ObjectPools.h"

namespace zeb {

std::int32_t EditorNotifiers::Add(ComPtr<IZebEditorNotifier> notifier, const Package* owner) {
  if (!notifier) return -1;
  entries_.push_back(Entry{nextIndex_, std::move(notifier), owner});
  return nextIndex_++;
}

void EditorNotifiers::Remove(std::int32_t index) {
  std::erase_if(entries_, [&](const Entry& entry) { return entry.index == index; });
}

void EditorNotifiers::RemoveOwnedBy(const Package* package) {
  std::erase_if(entries_, [&](const Entry& entry) { return entry.owner == package; });
}

template <class Call>
void EditorNotifiers::Notify(const char* event, const Call& call) {
  if (entries_.empty()) return;
  // A notifier may add or remove notifiers while it runs: walk a copy.
  const std::vector<Entry> entries = entries_;
  for (const Entry& entry : entries) {
    const AddinBoundary::Running running(entry.owner);
    boundary_->CallLabelled(
        [&] {
          return std::string("notifier ") + event +
                 (entry.owner != nullptr ? " in package " + entry.owner->Identity().name : "");
        },
        [&] { call(*entry.notifier); });
    AddinUndoGroups::CloseLeftOpen(*editor_);
  }
}

void EditorNotifiers::FileOpened(const std::string& path) {
  Notify("FileOpened", [&](IZebEditorNotifier& n) { n.FileOpened(path); });
}

void EditorNotifiers::FileSaved(const std::string& path) {
  Notify("FileSaved", [&](IZebEditorNotifier& n) { n.FileSaved(path); });
}

void EditorNotifiers::FileClosed(const std::string& path) {
  Notify("FileClosed", [&](IZebEditorNotifier& n) { n.FileClosed(path); });
}

void EditorNotifiers::TopViewChanged(EditorSeam::View& view) {
  if (entries_.empty()) return;
  const ComPtr<IOTAEditView> object = pools_->ViewFor(view);
  Notify("TopViewChanged", [&](IZebEditorNotifier& n) { n.TopViewChanged(object.Get()); });
}

}  // namespace zeb
