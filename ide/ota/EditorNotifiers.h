// EditorNotifiers: the notifiers add-ins hand to IZebNotifierServices, told what the editor
// reports (EditorSeam::Events): files opened, saved and closed, and the top view changing.
//
// Each notifier is kept with the package it belongs to, which drops it when it unloads. The
// calls go through the add-in boundary, as key procedures do, with the package as the one
// running: a fault names the event and the package, and what a notifier changes in the text is
// kept apart from everything else (an undo group it leaves open is closed when it returns).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "api/ComPtr.h"
#include "api/ZebEditorAPI.h"
#include "ide/core/AddinBoundary.h"
#include "ide/core/EditorSeam.h"

namespace zeb {

class ObjectPools;
class Package;

class EditorNotifiers final : public EditorSeam::Events {
 public:
  EditorNotifiers(EditorSeam& editor, AddinBoundary& boundary, ObjectPools& pools) noexcept
      : editor_(&editor), boundary_(&boundary), pools_(&pools) {}
  EditorNotifiers(const EditorNotifiers&) = delete;
  EditorNotifiers& operator=(const EditorNotifiers&) = delete;

  // Keeps `notifier` (null gives -1) as `owner`'s; its index.
  std::int32_t Add(ComPtr<IZebEditorNotifier> notifier, const Package* owner);
  // Drops a notifier; an unknown index is ignored.
  void Remove(std::int32_t index);
  void RemoveOwnedBy(const Package* package);
  void Clear() noexcept { entries_.clear(); }

  // EditorSeam::Events
  void FileOpened(const std::string& path) override;
  void FileSaved(const std::string& path) override;
  void FileClosed(const std::string& path) override;
  void TopViewChanged(EditorSeam::View& view) override;

 private:
  struct Entry {
    std::int32_t index;
    ComPtr<IZebEditorNotifier> notifier;
    const Package* owner;
  };
  // Calls `call(notifier)` on every notifier, in the order they were added.
  template <class Call>
  void Notify(const char* event, const Call& call);

  EditorSeam* editor_;
  AddinBoundary* boundary_;
  ObjectPools* pools_;
  std::vector<Entry> entries_;
  std::int32_t nextIndex_ = 0;
};

}  // namespace zeb
