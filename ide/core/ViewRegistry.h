// ViewRegistry: the open modules and the views on their files, each view listed once: the IDE's
// own editor, as the objects handed to add-ins see it through EditorSeam.
//
// Views are kept in the order they were opened, each with the moment it was last made active;
// the top view is the one active last. A module stays open while a view shows one of its files.
//
// The seam's editing part: the events are told as modules are added (each file opened) and
// removed (each file closed), as the top view changes and as the composition reports saves
// (FileSaved); an undo group reaches every document of the open modules; OpenModule goes
// through the opener the composition sets, which opens a file as a user's open does; messages
// go to the observer (OnAddinMessage).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ide/core/EditView.h"
#include "ide/core/EditorSeam.h"
#include "ide/core/IdeObserver.h"
#include "ide/core/Module.h"

namespace zeb {

class ViewRegistry final : public EditorSeam {
 public:
  // Paint tells `observer` which view to draw again.
  ViewRegistry(std::int32_t tabWidth, IdeObserver& observer)
      : tabWidth_(tabWidth), observer_(&observer) {}
  // Documents that outlive it (held by an add-in) leave its undo group.
  ~ViewRegistry() { Clear(); }
  ViewRegistry(const ViewRegistry&) = delete;
  ViewRegistry& operator=(const ViewRegistry&) = delete;

  void AddModule(std::shared_ptr<zeb::Module> module);
  // The view to show an open module's file at `normalPath` in (its document's view active last,
  // else a new one), or null when no open module has that file.
  std::shared_ptr<EditView> ViewOfOpenFile(const std::string& normalPath);
  // The document's view active last, or a new view of it.
  std::shared_ptr<EditView> ViewFor(const std::shared_ptr<Document>& document);
  // A new view of the document, listed after the others.
  std::shared_ptr<EditView> AddView(const std::shared_ptr<Document>& document);
  // Makes `view`, one of the registry's, the one active last.
  void Activate(const std::shared_ptr<EditView>& view);
  // Forgets `view`. Returns the module that closes with it because none of its files is shown
  // any more, or null.
  std::shared_ptr<zeb::Module> Remove(const std::shared_ptr<EditView>& view);
  void Clear() noexcept;

  // How OpenModule opens a file: the composition's open, which raises EInOutError when the
  // file cannot be read; it answers with the module opened or switched to.
  using Opener = std::function<EditorSeam::Module*(const std::string& path)>;
  void SetOpener(Opener opener) { opener_ = std::move(opener); }
  // Tells the events that `document` was saved.
  void FileSaved(const Document& document);

  // The lookups below answer with the registry's own pointers, empty for none; they stay valid
  // until the registry changes.
  const std::shared_ptr<EditView>& Top() const noexcept;
  const std::vector<std::shared_ptr<zeb::Module>>& Modules() const noexcept { return modules_; }
  const std::shared_ptr<zeb::Module>& ModuleOf(const Document& document) const noexcept;
  // The views of a document, in the order they were opened.
  std::vector<std::shared_ptr<EditView>> ViewsOf(const Document& document) const;
  // Its view `index` in that order.
  const std::shared_ptr<EditView>& ViewOf(const Document& document,
                                          std::size_t index) const noexcept;
  std::size_t ViewCountOf(const Document& document) const noexcept;
  template <class Visit>
  void ForEachViewOf(const Document& document, Visit visit) const {
    for (const Entry& entry : views_)
      if (&entry.view->GetDocument() == &document) visit(*entry.view);
  }
  // The module's view active last, or null.
  std::shared_ptr<EditView> LastViewOf(const zeb::Module& module) const;

  // EditorSeam
  std::size_t ModuleCount() const noexcept override { return modules_.size(); }
  EditorSeam::Module* CurrentModule() const noexcept override;
  EditorSeam::View* TopView() const noexcept override;
  std::size_t ViewCount(const EditorSeam::Module& module, std::size_t file) const noexcept override;
  EditorSeam::View* ViewOf(const EditorSeam::Module& module, std::size_t file,
                           std::size_t index) const noexcept override;
  std::size_t CurrentFile(const EditorSeam::Module& module) const noexcept override;
  void Paint(EditorSeam::View& view) override;
  EditorSeam::Module* ModuleAt(std::size_t index) const noexcept override;
  EditorSeam::Module* OpenModule(const std::string& path) override;
  void BeginUndoGroup() override;
  void EndUndoGroup() noexcept override;
  void SetEvents(Events* events) noexcept override { events_ = events; }
  void ShowMessage(const std::string& text) override { observer_->OnAddinMessage(text); }

 private:
  struct Entry {
    std::shared_ptr<EditView> view;
    std::uint64_t activated;  // 0 for never
  };
  // The entry active last among those `accept` takes, or null.
  template <class Accept>
  const Entry* LastActive(Accept accept) const;

  // Finds the top view again after a view went.
  void FindTop() noexcept;

  std::int32_t tabWidth_;
  IdeObserver* observer_;
  std::vector<std::shared_ptr<zeb::Module>> modules_;
  std::vector<Entry> views_;  // in the order they were opened
  static constexpr std::size_t kNoTop = SIZE_MAX;
  std::size_t top_ = kNoTop;  // the entry active last
  std::uint64_t clock_ = 0;
  Opener opener_;
  Events* events_ = nullptr;
  // The undo group of a key press or an add-in's explicit group, which every open document
  // shares.
  SharedUndoGroup undoGroup_;
};

}  // namespace zeb
