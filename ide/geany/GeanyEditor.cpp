#include "ide/geany/GeanyEditor.h"

#include <geanyplugin.h>

#include <algorithm>

#include "ide/core/Module.h"

namespace zeb {

const GeanyEditor::Entry* GeanyEditor::Find(const GeanyDocument& document) const noexcept {
  for (const Entry& entry : entries_)
    if (entry.id == document.id) return &entry;
  return nullptr;
}

GeanyEditor::Entry* GeanyEditor::Find(const GeanyDocument& document) noexcept {
  for (Entry& entry : entries_)
    if (entry.id == document.id) return &entry;
  return nullptr;
}

const GeanyEditor::Entry* GeanyEditor::Current() const noexcept {
  const GeanyDocument* document = document_get_current();
  return document != nullptr ? Find(*document) : nullptr;
}

void GeanyEditor::Track(GeanyDocument& document) {
  if (!document.is_valid || document.editor == nullptr) return;
  Entry* entry = Find(document);
  if (entry == nullptr) {
    entries_.push_back(
        {document.id, {}, std::make_shared<ScintillaView>(document.editor->sci), nullptr, 0, 0});
    entry = &entries_.back();
  } else if (entry->view->Widget() != document.editor->sci) {
    entry->view->Detach();
    entry->view = std::make_shared<ScintillaView>(document.editor->sci);
  }
  Resolve(*entry, document);
}

void GeanyEditor::Resolve(Entry& entry, const GeanyDocument& document) {
  const bool untitled = document.file_name == nullptr;
  const std::string path = untitled ? DOC_FILENAME(&document) : NormalPath(document.file_name);
  std::vector<std::string> files =
      untitled ? std::vector<std::string>{path} : zeb::Module::FilesFor(path);
  if (entry.module && entry.path == path && entry.module->Files() == files) return;
  entry.path = path;

  std::shared_ptr<DocumentModule> module;
  if (!untitled) {
    for (const Entry& other : entries_)
      if (other.module && !other.module->Untitled() && other.module->Files() == files)
        module = other.module;
  }
  if (!module) module = std::make_shared<DocumentModule>(std::move(files), untitled ? entry.id : 0);
  entry.module = module;
  entry.file = std::min(module->IndexOf(path), module->FileCount() - 1);
  if (untitled) return;
  // The other open files of the module are its documents now too.
  for (Entry& other : entries_) {
    if (!other.module || other.module == module || other.module->Untitled()) continue;
    const std::size_t index = module->IndexOf(other.path);
    if (index == module->FileCount()) continue;
    other.module = module;
    other.file = index;
  }
}

void GeanyEditor::Activate(GeanyDocument& document) {
  Track(document);
  if (Entry* entry = Find(document)) entry->activated = ++clock_;
}

void GeanyEditor::Forget(const GeanyDocument& document) {
  const auto found = std::find_if(entries_.begin(), entries_.end(),
                                  [&](const Entry& entry) { return entry.id == document.id; });
  if (found == entries_.end()) return;
  found->view->Detach();
  entries_.erase(found);
}

void GeanyEditor::Clear() noexcept {
  for (Entry& entry : entries_)
    entry.view->Detach();
  entries_.clear();
}

std::size_t GeanyEditor::ModuleCount() const noexcept {
  std::size_t count = 0;
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    const bool seen = std::any_of(
        entries_.begin(), it, [&](const Entry& earlier) { return earlier.module == it->module; });
    if (!seen) ++count;
  }
  return count;
}

EditorSeam::Module* GeanyEditor::CurrentModule() const noexcept {
  const Entry* entry = Current();
  return entry != nullptr ? entry->module.get() : nullptr;
}

EditorSeam::View* GeanyEditor::TopView() const noexcept {
  const Entry* entry = Current();
  return entry != nullptr ? entry->view.get() : nullptr;
}

std::size_t GeanyEditor::ViewCount(const EditorSeam::Module& module,
                                   std::size_t file) const noexcept {
  return static_cast<std::size_t>(
      std::count_if(entries_.begin(), entries_.end(),
                    [&](const Entry& e) { return e.module.get() == &module && e.file == file; }));
}

EditorSeam::View* GeanyEditor::ViewOf(const EditorSeam::Module& module, std::size_t file,
                                      std::size_t index) const noexcept {
  for (const Entry& entry : entries_) {
    if (entry.module.get() != &module || entry.file != file) continue;
    if (index == 0) return entry.view.get();
    --index;
  }
  return nullptr;
}

std::size_t GeanyEditor::CurrentFile(const EditorSeam::Module& module) const noexcept {
  const Entry* last = nullptr;
  for (const Entry& entry : entries_)
    if (entry.module.get() == &module && entry.activated != 0 &&
        (last == nullptr || entry.activated > last->activated))
      last = &entry;
  return last != nullptr ? last->file : 0;
}

void GeanyEditor::Paint(EditorSeam::View& view) {
  // Every view of this editor is a ScintillaView of its own making.
  if (ScintillaObject* widget = static_cast<ScintillaView&>(view).Widget())
    gtk_widget_queue_draw(GTK_WIDGET(widget));
}

}  // namespace zeb
