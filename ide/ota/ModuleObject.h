// ModuleObject: the IOTAModule of one of the editor's modules.
#pragma once

#include <memory>
#include <utility>

#include "api/ToolsAPI.h"
#include "ide/core/EditorSeam.h"
#include "ide/ota/LiveObjects.h"

namespace zeb {

class ObjectPools;

class ModuleObject final : public CountedObject<IOTAModule> {
 public:
  ModuleObject(EditorSeam& editor, ObjectPools& pools, std::shared_ptr<EditorSeam::Module> module)
      : editor_(&editor), pools_(&pools), module_(std::move(module)) {}
  bool Serves(const EditorSeam::Module* module) const noexcept { return module_.get() == module; }
  void Serve(std::shared_ptr<EditorSeam::Module> module) noexcept { module_ = std::move(module); }

  // The editor of file `index` (0 is the source file); null outside the module's files.
  ComPtr<IOTAEditor> GetModuleFileEditor(std::int32_t index) override;
  std::int32_t GetModuleFileCount() override;
  // Modules are not part of projects here: always 0.
  std::int32_t GetOwnerModuleCount() override { return 0; }
  // Files live on the ordinary file system, which has the empty name.
  std::string GetFileSystem() override { return {}; }
  // The editor of the file the module's most recent view shows, else of the source file.
  ComPtr<IOTAEditor> GetCurrentEditor() override;

 private:
  EditorSeam* editor_;
  ObjectPools* pools_;
  std::shared_ptr<EditorSeam::Module> module_;
};

}  // namespace zeb
