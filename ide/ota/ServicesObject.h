// ServicesObject: the IDE's global service provider (BorlandIDEServices) and the services it
// yields by query: modules, editors, keyboard and general services, over an editor (EditorSeam)
// and the add-in host that keeps the keyboard bindings and the environment (AddinHost).
//
// It answers until Detach; after that (the IDE is gone) every service reports nothing and raises
// EInvalidOperation where it would have to act. It holds the pools of the objects it and they
// hand out (ObjectPools), let go of at Detach.
//
// The editing extension's services are here too (the modules by index and opening a file, the
// notifiers, the message line), and it hears the host's events until Detach: around each key
// press it keeps what the key procedures change as one undo step; when a package unloads it
// drops the package's notifiers and reports the references the package still holds, by
// interface: those to the objects handed out while its code ran (LiveObjects), and those it
// took to these services, counted from its load.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "api/ToolsAPI.h"
#include "api/ZebEditorAPI.h"
#include "ide/core/AddinHost.h"
#include "ide/core/EditorSeam.h"
#include "ide/ota/EditorNotifiers.h"
#include "ide/ota/LiveObjects.h"
#include "ide/ota/ObjectPools.h"

namespace zeb {

class ServicesObject final
    : public CountedObject<IBorlandIDEServices, IOTAModuleServices, IOTAEditorServices,
                           IOTAKeyboardServices, IOTAServices, IZebModuleServices,
                           IZebNotifierServices, IZebMessageServices>,
      private AddinHostEvents {
 public:
  ServicesObject(EditorSeam& editor, AddinHost& host);
  void Detach() noexcept;
  // Lets go of the pooled objects: the idle ones go at once, and the views and modules they
  // served with them; the IDE calls it when it closes a view.
  void ReleaseIdle() noexcept { pools_.Clear(); }

  // IOTAModuleServices
  ComPtr<IOTAModule> CurrentModule() override;
  std::int32_t GetModuleCount() override;
  // IOTAEditorServices
  ComPtr<IOTAEditView> GetTopView() override;
  // IOTAKeyboardServices
  std::int32_t AddKeyboardBinding(IOTAKeyboardBinding* keyBinding) override;
  void RemoveKeyboardBinding(std::int32_t index) override;
  // IOTAServices
  std::string GetProductIdentifier() override;
  std::string GetLocalApplicationDataDirectory() override;
  std::string GetRootDirectory() override;
  std::string GetBinDirectory() override;
  std::string GetTemplateDirectory() override;
  std::string GetActiveDesignerType() override;
  std::string GetBaseRegistryKey() override;
  // IZebModuleServices
  ComPtr<IOTAModule> GetModule(std::int32_t index) override;
  ComPtr<IOTAModule> OpenModule(const std::string& path, std::string& error) override;
  // IZebNotifierServices
  std::int32_t AddNotifier(IZebEditorNotifier* notifier) override;
  void RemoveNotifier(std::int32_t index) override;
  // IZebMessageServices
  void ShowMessage(const std::string& text) override;

 private:
  AddinHost& Host() const;
  const IdeEnvironment& Environment() const { return Host().Environment(); }

  // AddinHostEvents
  void PackageLoading(const Package& package) override;
  void PackageUnloading(const Package& package) override;
  void KeyPressBegins() override;
  void KeyPressEnds() noexcept override;

  EditorSeam* editor_;
  AddinHost* host_;
  ObjectPools pools_;
  EditorNotifiers notifiers_;
  // The references to these services when each loaded package began to load, the last loaded
  // last.
  std::vector<std::pair<const Package*, std::int32_t>> servicesAtLoad_;
};

}  // namespace zeb
