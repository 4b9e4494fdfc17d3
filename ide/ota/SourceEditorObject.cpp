#include "ide/ota/SourceEditorObject.h"

#include "ide/ota/ObjectPools.h"
#include "ide/text/Utf8Path.h"

namespace zeb {

std::string SourceEditorObject::GetFileName() {
  return module_->FilePath(file_);
}

bool SourceEditorObject::GetModified() {
  return module_->FileModified(file_);
}

ComPtr<IOTAModule> SourceEditorObject::GetModule() {
  return pools_->ModuleFor(*module_);
}

ComPtr<IOTAEditView> SourceEditorObject::GetEditView(std::int32_t index) {
  if (index < 0) return {};
  EditorSeam::View* view = editor_->ViewOf(*module_, file_, static_cast<std::size_t>(index));
  if (view == nullptr) return {};
  return pools_->ViewFor(*view);
}

std::int32_t SourceEditorObject::GetEditViewCount() {
  return static_cast<std::int32_t>(editor_->ViewCount(*module_, file_));
}

std::int32_t SourceEditorObject::GetSubViewCount() {
  return static_cast<std::int32_t>(module_->FileCount());
}

std::int32_t SourceEditorObject::GetSubViewIndex() {
  return static_cast<std::int32_t>(editor_->CurrentFile(*module_));
}

std::string SourceEditorObject::GetSubViewIdentifier(std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= module_->FileCount()) return {};
  return Utf8FromPath(PathFromUtf8(module_->FilePath(static_cast<std::size_t>(index))).filename());
}

}  // namespace zeb
