#include "ide/ota/SourceEditorObject.h"

#include <filesystem>

#include "ide/core/Ide.h"
#include "ide/ota/EditViewObject.h"
#include "ide/ota/ModuleObject.h"

namespace zebide {

std::string SourceEditorObject::GetFileName() {
  return module_->File(file_)->Path();
}

bool SourceEditorObject::GetModified() {
  return module_->File(file_)->Modified();
}

ComPtr<IOTAModule> SourceEditorObject::GetModule() {
  return MakeCounted<ModuleObject>(*ide_, module_);
}

ComPtr<IOTAEditView> SourceEditorObject::GetEditView(std::int32_t index) {
  const auto views = ide_->ViewsOf(*module_->File(file_));
  if (index < 0 || static_cast<std::size_t>(index) >= views.size()) return {};
  return MakeCounted<EditViewObject>(*ide_, views[static_cast<std::size_t>(index)]);
}

std::int32_t SourceEditorObject::GetEditViewCount() {
  return static_cast<std::int32_t>(ide_->ViewsOf(*module_->File(file_)).size());
}

std::int32_t SourceEditorObject::GetSubViewCount() {
  return static_cast<std::int32_t>(module_->FileCount());
}

std::int32_t SourceEditorObject::GetSubViewIndex() {
  const auto view = ide_->LastViewOf(*module_);
  if (!view) return 0;
  return static_cast<std::int32_t>(module_->IndexOf(view->GetDocument()));
}

std::string SourceEditorObject::GetSubViewIdentifier(std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= module_->FileCount()) return {};
  return std::filesystem::path(module_->File(static_cast<std::size_t>(index))->Path())
      .filename()
      .string();
}

}  // namespace zebide
