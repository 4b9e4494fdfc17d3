#include "ide/core/ViewRegistry.h"

#include <algorithm>

namespace zeb {

namespace {
const std::shared_ptr<EditView> kNoView;
const std::shared_ptr<zeb::Module> kNoModule;
}  // namespace

template <class Accept>
const ViewRegistry::Entry* ViewRegistry::LastActive(Accept accept) const {
  const Entry* last = nullptr;
  for (const Entry& entry : views_)
    if (entry.activated != 0 && accept(*entry.view) &&
        (last == nullptr || entry.activated > last->activated))
      last = &entry;
  return last;
}

void ViewRegistry::AddModule(std::shared_ptr<zeb::Module> module) {
  modules_.push_back(module);
  for (std::size_t i = 0; i < module->FileCount(); ++i) {
    // A module opened inside an undo group joins it.
    module->File(i)->ShareUndoGroup(&undoGroup_);
    if (events_ != nullptr) events_->FileOpened(module->FilePath(i));
  }
}

std::shared_ptr<EditView> ViewRegistry::ViewOfOpenFile(const std::string& normalPath) {
  for (const auto& module : modules_) {
    const std::size_t index = module->IndexOf(normalPath);
    if (index < module->FileCount()) return ViewFor(module->File(index));
  }
  return nullptr;
}

std::shared_ptr<EditView> ViewRegistry::ViewFor(const std::shared_ptr<Document>& document) {
  const Entry* last =
      LastActive([&](const EditView& view) { return &view.GetDocument() == document.get(); });
  return last != nullptr ? last->view : AddView(document);
}

std::shared_ptr<EditView> ViewRegistry::AddView(const std::shared_ptr<Document>& document) {
  auto view = std::make_shared<EditView>(document, tabWidth_);
  views_.push_back(Entry{view, 0});
  return view;
}

void ViewRegistry::Activate(const std::shared_ptr<EditView>& view) {
  const std::size_t before = top_;
  for (std::size_t i = 0; i < views_.size(); ++i) {
    if (views_[i].view != view) continue;
    views_[i].activated = ++clock_;
    top_ = i;
  }
  if (top_ != before && top_ != kNoTop && events_ != nullptr)
    events_->TopViewChanged(*views_[top_].view);
}

void ViewRegistry::FindTop() noexcept {
  const Entry* last = LastActive([](const EditView&) { return true; });
  top_ = last != nullptr ? static_cast<std::size_t>(last - views_.data()) : kNoTop;
}

std::shared_ptr<zeb::Module> ViewRegistry::Remove(const std::shared_ptr<EditView>& view) {
  const auto module = ModuleOf(view->GetDocument());
  std::erase_if(views_, [&](const Entry& entry) { return entry.view == view; });
  FindTop();
  if (!module) return nullptr;
  for (const Entry& entry : views_)
    if (module->IndexOf(entry.view->GetDocument()) < module->FileCount()) return nullptr;
  std::erase(modules_, module);
  for (std::size_t i = 0; i < module->FileCount(); ++i) {
    module->File(i)->ShareUndoGroup(nullptr);
    if (events_ != nullptr) events_->FileClosed(module->FilePath(i));
  }
  return module;
}

void ViewRegistry::Clear() noexcept {
  for (const auto& module : modules_)
    for (std::size_t i = 0; i < module->FileCount(); ++i)
      module->File(i)->ShareUndoGroup(nullptr);
  undoGroup_ = SharedUndoGroup();
  views_.clear();
  modules_.clear();
  top_ = kNoTop;
}

const std::shared_ptr<EditView>& ViewRegistry::Top() const noexcept {
  return top_ != kNoTop ? views_[top_].view : kNoView;
}

const std::shared_ptr<zeb::Module>& ViewRegistry::ModuleOf(
    const Document& document) const noexcept {
  for (const auto& module : modules_)
    if (module->IndexOf(document) < module->FileCount()) return module;
  return kNoModule;
}

std::vector<std::shared_ptr<EditView>> ViewRegistry::ViewsOf(const Document& document) const {
  std::vector<std::shared_ptr<EditView>> views;
  for (const Entry& entry : views_)
    if (&entry.view->GetDocument() == &document) views.push_back(entry.view);
  return views;
}

const std::shared_ptr<EditView>& ViewRegistry::ViewOf(const Document& document,
                                                      std::size_t index) const noexcept {
  for (const Entry& entry : views_)
    if (&entry.view->GetDocument() == &document && index-- == 0) return entry.view;
  return kNoView;
}

std::size_t ViewRegistry::ViewCountOf(const Document& document) const noexcept {
  std::size_t count = 0;
  for (const Entry& entry : views_)
    count += &entry.view->GetDocument() == &document;
  return count;
}

std::shared_ptr<EditView> ViewRegistry::LastViewOf(const zeb::Module& module) const {
  const Entry* last = LastActive([&](const EditView& view) {
    return module.IndexOf(view.GetDocument()) < module.FileCount();
  });
  return last != nullptr ? last->view : nullptr;
}

// ---- EditorSeam ----------------------------------------------------------------------------
// The modules and views handed to the seam's users are this registry's own.

EditorSeam::Module* ViewRegistry::CurrentModule() const noexcept {
  const auto& top = Top();
  return top ? ModuleOf(top->GetDocument()).get() : nullptr;
}

EditorSeam::View* ViewRegistry::TopView() const noexcept {
  return Top().get();
}

std::size_t ViewRegistry::ViewCount(const EditorSeam::Module& module,
                                    std::size_t file) const noexcept {
  const auto& own = static_cast<const zeb::Module&>(module);
  return file < own.FileCount() ? ViewCountOf(*own.File(file)) : 0;
}

EditorSeam::View* ViewRegistry::ViewOf(const EditorSeam::Module& module, std::size_t file,
                                       std::size_t index) const noexcept {
  const auto& own = static_cast<const zeb::Module&>(module);
  return file < own.FileCount() ? ViewOf(*own.File(file), index).get() : nullptr;
}

std::size_t ViewRegistry::CurrentFile(const EditorSeam::Module& module) const noexcept {
  const auto& own = static_cast<const zeb::Module&>(module);
  const Entry* last = LastActive(
      [&](const EditView& view) { return own.IndexOf(view.GetDocument()) < own.FileCount(); });
  return last != nullptr ? own.IndexOf(last->view->GetDocument()) : 0;
}

void ViewRegistry::Paint(EditorSeam::View& view) {
  observer_->OnPaint(static_cast<EditView&>(view));
}

EditorSeam::Module* ViewRegistry::ModuleAt(std::size_t index) const noexcept {
  return index < modules_.size() ? modules_[index].get() : nullptr;
}

EditorSeam::Module* ViewRegistry::OpenModule(const std::string& path) {
  return opener_ ? opener_(path) : nullptr;
}

void ViewRegistry::BeginUndoGroup() {
  undoGroup_.Begin();
}

void ViewRegistry::EndUndoGroup() noexcept {
  undoGroup_.End();
}

void ViewRegistry::FileSaved(const Document& document) {
  if (events_ != nullptr) events_->FileSaved(document.Path());
}

}  // namespace zeb
