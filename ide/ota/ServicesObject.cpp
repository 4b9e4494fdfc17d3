#include "ide/ota/ServicesObject.h"

#include <algorithm>
#include <iterator>
#include <map>

#include "ide/core/Package.h"
#include "ide/ota/EditBufferMethods.h"
#include "runtime/Exceptions.h"

namespace zeb {

ServicesObject::ServicesObject(EditorSeam& editor, AddinHost& host)
    : editor_(&editor), host_(&host), pools_(editor), notifiers_(editor, host.Boundary(), pools_) {
  host.SetEvents(this);
  editor.SetEvents(&notifiers_);
}

void ServicesObject::Detach() noexcept {
  if (host_ != nullptr) host_->SetEvents(nullptr);
  if (editor_ != nullptr) editor_->SetEvents(nullptr);
  notifiers_.Clear();
  editor_ = nullptr;
  host_ = nullptr;
  pools_.Clear();
}

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

// ---- The editing extension ------------------------------------------------------------------

ComPtr<IOTAModule> ServicesObject::GetModule(std::int32_t index) {
  if (editor_ == nullptr || index < 0) return {};
  EditorSeam::Module* module = editor_->ModuleAt(static_cast<std::size_t>(index));
  if (module == nullptr) return {};
  return pools_.ModuleFor(*module);
}

ComPtr<IOTAModule> ServicesObject::OpenModule(const std::string& path, std::string& error) {
  error.clear();
  if (editor_ == nullptr) {
    error = "the IDE's services are no longer available";
    return {};
  }
  EditorSeam::Module* module = nullptr;
  try {
    module = editor_->OpenModule(path);
  } catch (const Exception& e) {
    error = e.Message();
    return {};
  }
  if (module == nullptr) {
    error = "this IDE opens no files for add-ins";
    return {};
  }
  return pools_.ModuleFor(*module);
}

std::int32_t ServicesObject::AddNotifier(IZebEditorNotifier* notifier) {
  // The package that adds it, else the one whose code implements it.
  const Package* owner = AddinBoundary::RunningPackage();
  if (owner == nullptr) owner = Host().OwnerOf(notifier);
  return notifiers_.Add(ComPtr<IZebEditorNotifier>::Borrow(notifier), owner);
}

void ServicesObject::RemoveNotifier(std::int32_t index) {
  notifiers_.Remove(index);
}

void ServicesObject::ShowMessage(const std::string& text) {
  if (editor_ != nullptr) editor_->ShowMessage(text);
}

// ---- The host's events ----------------------------------------------------------------------

void ServicesObject::PackageLoading(const Package& package) {
  servicesAtLoad_.emplace_back(&package, RefCount());
}

void ServicesObject::PackageUnloading(const Package& package) {
  notifiers_.RemoveOwnedBy(&package);
  std::map<std::string, std::int32_t> held = LiveObjects::HeldBy(&package);
  // Packages unload in the reverse order of their loads: the references to the services taken
  // since this one began to load, less those reported for the packages loaded after it, are its.
  const auto entry = std::find_if(servicesAtLoad_.rbegin(), servicesAtLoad_.rend(),
                                  [&](const auto& loaded) { return loaded.first == &package; });
  if (entry != servicesAtLoad_.rend()) {
    const std::int32_t taken = RefCount() - entry->second;
    servicesAtLoad_.erase(std::next(entry).base());
    if (taken > 0) {
      held[IBorlandIDEServices::Name] += taken;
      for (auto& loaded : servicesAtLoad_)
        loaded.second += taken;
    }
  }
  if (held.empty()) return;
  std::int32_t total = 0;
  std::string list;
  for (const auto& [name, count] : held) {
    total += count;
    list += (list.empty() ? "" : ", ") + std::to_string(count) + " " + name;
  }
  const std::string& name = package.Identity().name;
  Host().Boundary().Warn(AddinWarning{
      name, "package " + name + " still holds " + std::to_string(total) +
                (total == 1 ? " reference" : " references") +
                " to the IDE's objects after its Finalize: " + list +
                " (a view, editor or module it keeps keeps its files' text in memory)"});
}

void ServicesObject::KeyPressBegins() {
  if (editor_ != nullptr) editor_->BeginUndoGroup();
}

void ServicesObject::KeyPressEnds() noexcept {
  if (editor_ == nullptr) return;
  AddinUndoGroups::CloseLeftOpen(*editor_);
  editor_->EndUndoGroup();
}

}  // namespace zeb
