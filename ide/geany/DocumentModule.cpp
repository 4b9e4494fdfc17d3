#include "ide/geany/DocumentModule.h"

#include <geanyplugin.h>

#include "ide/core/Module.h"

namespace zeb {

std::size_t DocumentModule::IndexOf(const std::string& path) const noexcept {
  for (std::size_t i = 0; i < files_.size(); ++i)
    if (files_[i] == path) return i;
  return files_.size();
}

void DocumentModule::Link(std::size_t file, const std::shared_ptr<ScintillaView>& view) noexcept {
  if (file < views_.size()) views_[file] = view;
}

void DocumentModule::Unlink(const ScintillaView& view) noexcept {
  for (auto& linked : views_)
    if (linked.lock().get() == &view) linked.reset();
}

std::shared_ptr<EditorSeam::Text> DocumentModule::FileText(std::size_t file) {
  if (file >= views_.size()) return nullptr;
  const std::shared_ptr<ScintillaView> view = views_[file].lock();
  return view ? view->ViewText() : nullptr;
}

bool DocumentModule::FileModified(std::size_t file) const {
  const std::string& path = FilePath(file);
  const GeanyDocument* document =
      untitledId_ != 0 ? document_find_by_id(untitledId_) : document_find_by_filename(path.c_str());
  return document != nullptr && document->is_valid && document->changed;
}

std::string DocumentModule::DesignerType() const {
  for (const std::string& file : files_)
    if (std::string type = zeb::Module::DesignerTypeOf(file); !type.empty()) return type;
  return "";
}

}  // namespace zeb
