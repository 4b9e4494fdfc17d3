// ServicesObject: the IDE's global service provider (BorlandIDEServices) and the services it
// yields by query: modules, editors, keyboard and general services, over an editor (EditorSeam)
// and the add-in host that keeps the keyboard bindings and the environment (AddinHost).
//
// It answers until Detach; after that (the IDE is gone) every service reports nothing and raises
// EInvalidOperation where it would have to act. It holds the pools of the objects it and they
// hand out (ObjectPools), let go of at Detach.
#pragma once

#include "api/ToolsAPI.h"
#include "ide/core/AddinHost.h"
#include "ide/core/EditorSeam.h"
#include "ide/ota/LiveObjects.h"
#include "ide/ota/ObjectPools.h"

namespace zeb {

class ServicesObject final
    : public CountedObject<IBorlandIDEServices, IOTAModuleServices, IOTAEditorServices,
                           IOTAKeyboardServices, IOTAServices> {
 public:
  ServicesObject(EditorSeam& editor, AddinHost& host)
      : editor_(&editor), host_(&host), pools_(editor) {}
  void Detach() noexcept {
    editor_ = nullptr;
    host_ = nullptr;
    pools_.Clear();
  }
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

 private:
  AddinHost& Host() const;
  const IdeEnvironment& Environment() const { return Host().Environment(); }

  EditorSeam* editor_;
  AddinHost* host_;
  ObjectPools pools_;
};

}  // namespace zeb
