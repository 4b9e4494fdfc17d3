#include "ide/ota/ServicesObject.h"

#include "ide/app/Ide.h"
#include "runtime/Exceptions.h"

namespace zeb {

Ide& ServicesObject::Owner() const {
  if (ide_ == nullptr) throw EInvalidOperation("The IDE's services are no longer available");
  return *ide_;
}

ComPtr<IOTAModule> ServicesObject::CurrentModule() {
  if (ide_ == nullptr) return {};
  const ViewRegistry& views = ide_->Views();
  const auto& top = views.TopView();
  if (!top) return {};
  const auto& module = views.ModuleOf(top->GetDocument());
  if (!module) return {};
  return pools_.ModuleFor(*ide_, module);
}

std::int32_t ServicesObject::GetModuleCount() {
  if (ide_ == nullptr) return 0;
  return static_cast<std::int32_t>(ide_->Modules().size());
}

ComPtr<IOTAEditView> ServicesObject::GetTopView() {
  if (ide_ == nullptr) return {};
  const auto& view = ide_->Views().TopView();
  if (!view) return {};
  return pools_.ViewFor(*ide_, view);
}

std::int32_t ServicesObject::AddKeyboardBinding(IOTAKeyboardBinding* keyBinding) {
  return Owner().AddKeyboardBinding(ComPtr<IOTAKeyboardBinding>::Borrow(keyBinding));
}

void ServicesObject::RemoveKeyboardBinding(std::int32_t index) {
  if (ide_ != nullptr) ide_->RemoveKeyboardBinding(index);
}

std::string ServicesObject::GetProductIdentifier() {
  return Owner().Environment().productIdentifier;
}
std::string ServicesObject::GetLocalApplicationDataDirectory() {
  return Owner().Environment().localAppDataDirectory;
}
std::string ServicesObject::GetRootDirectory() {
  return Owner().Environment().rootDirectory;
}
std::string ServicesObject::GetBinDirectory() {
  return Owner().Environment().binDirectory;
}
std::string ServicesObject::GetTemplateDirectory() {
  return Owner().Environment().templateDirectory;
}
std::string ServicesObject::GetActiveDesignerType() {
  const auto module = Owner().CurrentModule();
  return module ? module->DesignerType() : std::string();
}
std::string ServicesObject::GetBaseRegistryKey() {
  return Owner().Environment().registryKey;
}

}  // namespace zeb
