#include "ide/ota/SourceEditorObject.h"

#include "ide/app/Ide.h"
#include "ide/ota/ObjectPools.h"
#include "ide/text/Utf8Path.h"

namespace zeb {

std::string SourceEditorObject::GetFileName() {
  return module_->File(file_)->Path();
}

bool SourceEditorObject::GetModified() {
  return module_->File(file_)->Modified();
}

ComPtr<IOTAModule> SourceEditorObject::GetModule() {
  return pools_->ModuleFor(*ide_, module_);
}

ComPtr<IOTAEditView> SourceEditorObject::GetEditView(std::int32_t index) {
  if (index < 0) return {};
  const auto& view = ide_->Views().ViewOf(*module_->File(file_), static_cast<std::size_t>(index));
  if (!view) return {};
  return pools_->ViewFor(*ide_, view);
}

std::int32_t SourceEditorObject::GetEditViewCount() {
  return static_cast<std::int32_t>(ide_->Views().ViewCountOf(*module_->File(file_)));
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
  return Utf8FromPath(
      PathFromUtf8(module_->File(static_cast<std::size_t>(index))->Path()).filename());
}

}  // namespace zeb
