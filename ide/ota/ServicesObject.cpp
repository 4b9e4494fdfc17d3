#include "ide/ota/ServicesObject.h"

#include "runtime/Exceptions.h"

namespace zeb {

AddinHost& ServicesObject::Host() const {
  if (host_ == nullptr) throw EInvalidOperation("The IDE's services are no longer available");
  return *host_;
}

ComPtr<IOTAModule> ServicesObject::CurrentModule() {
  if (editor_ == nullptr) return {};
  EditorSeam::Module* module = editor_->CurrentModule();
  if (module == nullptr) return {};
  return pools_.ModuleFor(*module);
}

std::int32_t ServicesObject::GetModuleCount() {
  if (editor_ == nullptr) return 0;
  return static_cast<std::int32_t>(editor_->ModuleCount());
}

ComPtr<IOTAEditView> ServicesObject::GetTopView() {
  if (editor_ == nullptr) return {};
  EditorSeam::View* view = editor_->TopView();
  if (view == nullptr) return {};
  return pools_.ViewFor(*view);
}

std::int32_t ServicesObject::AddKeyboardBinding(IOTAKeyboardBinding* keyBinding) {
  return Host().AddKeyboardBinding(ComPtr<IOTAKeyboardBinding>::Borrow(keyBinding));
}

void ServicesObject::RemoveKeyboardBinding(std::int32_t index) {
  if (host_ != nullptr) host_->RemoveKeyboardBinding(index);
}

std::string ServicesObject::GetProductIdentifier() {
  return Environment().productIdentifier;
}
std::string ServicesObject::GetLocalApplicationDataDirectory() {
  return Environment().localAppDataDirectory;
}
std::string ServicesObject::GetRootDirectory() {
  return Environment().rootDirectory;
}
std::string ServicesObject::GetBinDirectory() {
  return Environment().binDirectory;
}
std::string ServicesObject::GetTemplateDirectory() {
  return Environment().templateDirectory;
}
std::string ServicesObject::GetActiveDesignerType() {
  Host();  // raises once the IDE is gone, as the other general services do
  EditorSeam::Module* module = editor_->CurrentModule();
  return module != nullptr ? module->DesignerType() : std::string();
}
std::string ServicesObject::GetBaseRegistryKey() {
  return Environment().registryKey;
}

}  // namespace zeb
