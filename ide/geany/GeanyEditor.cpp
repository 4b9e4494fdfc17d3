#include "ide/geany/GeanyEditor.h"

#include <geanyplugin.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "ide/core/Module.h"
#include "runtime/Exceptions.h"

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
  const Modules before = OpenModules();
  Follow(document);
  TellModules(before);
}

void GeanyEditor::Follow(GeanyDocument& document) {
  if (!document.is_valid || document.editor == nullptr) return;
  Entry* entry = Find(document);
  if (entry == nullptr) {
    entries_.push_back({document.id,
                        {},
                        std::make_shared<ScintillaView>(document.editor->sci, &group_),
                        nullptr,
                        0,
                        0});
    entry = &entries_.back();
  } else if (entry->view->Widget() != document.editor->sci) {
    if (entry->module) entry->module->Unlink(*entry->view);
    entry->view->Detach();
    entry->view = std::make_shared<ScintillaView>(document.editor->sci, &group_);
  }
  Resolve(*entry, document);
}

void GeanyEditor::Resolve(Entry& entry, const GeanyDocument& document) {
  const bool untitled = document.file_name == nullptr;
  const std::string path = untitled ? DOC_FILENAME(&document) : NormalPath(document.file_name);
  std::vector<std::string> files =
      untitled ? std::vector<std::string>{path} : zeb::Module::FilesFor(path);
  if (entry.module && entry.path == path && entry.module->Files() == files) {
    entry.module->Link(entry.file, entry.view);
    return;
  }
  // A module made anew for the same files keeps its text for an add-in holding it; one whose
  // file now has another name does not.
  if (entry.module && entry.path != path) entry.module->Unlink(*entry.view);
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
  module->Link(entry.file, entry.view);
  if (untitled) return;
  // The other open files of the module are its documents now too.
  for (Entry& other : entries_) {
    if (!other.module || other.module == module || other.module->Untitled()) continue;
    const std::size_t index = module->IndexOf(other.path);
    if (index == module->FileCount()) continue;
    other.module = module;
    other.file = index;
    module->Link(index, other.view);
  }
}

void GeanyEditor::Activate(GeanyDocument& document) {
  Track(document);
  Entry* entry = Find(document);
  if (entry == nullptr) return;
  entry->activated = ++clock_;
  if (entry->id == topId_) return;
  topId_ = entry->id;
  // Held: a notifier may close the document.
  const std::shared_ptr<ScintillaView> view = entry->view;
  if (events_ != nullptr) events_->TopViewChanged(*view);
}

void GeanyEditor::Saved(GeanyDocument& document) {
  Track(document);
  const Entry* entry = Find(document);
  if (entry == nullptr || events_ == nullptr) return;
  const std::string path = entry->path;
  events_->FileSaved(path);
}

void GeanyEditor::Forget(const GeanyDocument& document) {
  const auto found = std::find_if(entries_.begin(), entries_.end(),
                                  [&](const Entry& entry) { return entry.id == document.id; });
  if (found == entries_.end()) return;
  const Modules before = OpenModules();
  found->module->Unlink(*found->view);
  found->view->Detach();
  if (found->id == topId_) topId_ = 0;
  entries_.erase(found);
  TellModules(before);
}

void GeanyEditor::Clear() noexcept {
  group_.Close();
  for (Entry& entry : entries_)
    entry.view->Detach();
  entries_.clear();
  topId_ = 0;
}

GeanyEditor::Modules GeanyEditor::OpenModules() const {
  Modules modules;
  for (const Entry& entry : entries_)
    if (std::find(modules.begin(), modules.end(), entry.module) == modules.end())
      modules.push_back(entry.module);
  return modules;
}

void GeanyEditor::TellModules(const Modules& before) {
  if (events_ == nullptr) return;
  const Modules after = OpenModules();
  auto tell = [this](const Modules& from, const Modules& without,
                     void (Events::*event)(const std::string&)) {
    for (const auto& module : from) {
      if (std::find(without.begin(), without.end(), module) != without.end()) continue;
      for (const std::string& path : module->Files())
        if (events_ != nullptr) (events_->*event)(path);
    }
  };
  tell(before, after, &Events::FileClosed);
  tell(after, before, &Events::FileOpened);
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

EditorSeam::Module* GeanyEditor::ModuleAt(std::size_t index) const noexcept {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    const bool seen = std::any_of(
        entries_.begin(), it, [&](const Entry& earlier) { return earlier.module == it->module; });
    if (!seen && index-- == 0) return it->module.get();
  }
  return nullptr;
}

EditorSeam::Module* GeanyEditor::OpenModule(const std::string& path) {
  const std::string normal = NormalPath(path);
  // Geany answers a file it cannot open with a dialog of its own and no reason for the caller:
  // what can be told is checked first.
  const int fd = ::open(normal.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw EInOutError("cannot open " + normal + ": " + std::strerror(errno));
  struct stat st {};
  const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  ::close(fd);
  if (!regular) throw EInOutError("cannot open " + normal + ": not a regular file");
  GeanyDocument* document = document_open_file(normal.c_str(), FALSE, nullptr, nullptr);
  if (document == nullptr || !document->is_valid)
    throw EInOutError("cannot open " + normal + ": Geany did not open it");
  // Geany's signals have told the bridge already, unless the file was the current document.
  Activate(*document);
  const Entry* entry = Find(*document);
  return entry != nullptr ? entry->module.get() : nullptr;
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
