// ViewRegistry: the open modules and the views on their files, each view listed once.
//
// Views are kept in the order they were opened, each with the moment it was last made active;
// the top view is the one active last. A module stays open while a view shows one of its files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ide/core/EditView.h"
#include "ide/core/Module.h"

namespace zeb {

class ViewRegistry {
 public:
  explicit ViewRegistry(std::int32_t tabWidth) : tabWidth_(tabWidth) {}

  void AddModule(std::shared_ptr<Module> module);
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
  std::shared_ptr<Module> Remove(const std::shared_ptr<EditView>& view);
  void Clear() noexcept;

  // The lookups below answer with the registry's own pointers, empty for none; they stay valid
  // until the registry changes.
  const std::shared_ptr<EditView>& TopView() const noexcept;
  const std::vector<std::shared_ptr<Module>>& Modules() const noexcept { return modules_; }
  const std::shared_ptr<Module>& ModuleOf(const Document& document) const noexcept;
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
  std::shared_ptr<EditView> LastViewOf(const Module& module) const;

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
  std::vector<std::shared_ptr<Module>> modules_;
  std::vector<Entry> views_;  // in the order they were opened
  static constexpr std::size_t kNoTop = SIZE_MAX;
  std::size_t top_ = kNoTop;  // the entry active last
  std::uint64_t clock_ = 0;
};

}  // namespace zeb
