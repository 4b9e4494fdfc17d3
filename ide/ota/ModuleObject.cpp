#include "ide/ota/ModuleObject.h"

#include "ide/ota/ObjectPools.h"

namespace zeb {

ComPtr<IOTAEditor> ModuleObject::GetModuleFileEditor(std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= module_->FileCount()) return {};
  return pools_->EditorFor(*module_, static_cast<std::size_t>(index));
}

std::int32_t ModuleObject::GetModuleFileCount() {
  return static_cast<std::int32_t>(module_->FileCount());
}

ComPtr<IOTAEditor> ModuleObject::GetCurrentEditor() {
  return pools_->EditorFor(*module_, editor_->CurrentFile(*module_));
}

}  // namespace zeb
