// SourceEditorObject: the IOTASourceEditor of one file of a module. Its sub-views are the
// module's files, as the tabs of the editor window show them.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>

#include "api/ToolsAPI.h"
#include "ide/core/Module.h"
#include "ide/ota/LiveObjects.h"

namespace zeb {

class Ide;
class ObjectPools;

class SourceEditorObject final : public CountedObject<IOTASourceEditor> {
 public:
  SourceEditorObject(Ide& ide, ObjectPools& pools, std::shared_ptr<Module> module, std::size_t file)
      : ide_(&ide), pools_(&pools), module_(std::move(module)), file_(file) {}
  bool Serves(const std::shared_ptr<Module>& module, std::size_t file) const noexcept {
    return module_ == module && file_ == file;
  }
  void Serve(std::shared_ptr<Module> module, std::size_t file) noexcept {
    module_ = std::move(module);
    file_ = file;
  }

  std::string GetFileName() override;
  bool GetModified() override;
  ComPtr<IOTAModule> GetModule() override;

  // The views of this file, in the order they were opened; null for an index outside them.
  ComPtr<IOTAEditView> GetEditView(std::int32_t index) override;
  std::int32_t GetEditViewCount() override;
  std::int32_t GetSubViewCount() override;
  // The index of the file the module's most recent view shows.
  std::int32_t GetSubViewIndex() override;
  // The file name (without its folder) of the module's file `index`; empty outside them.
  std::string GetSubViewIdentifier(std::int32_t index) override;

 private:
  Ide* ide_;
  ObjectPools* pools_;
  std::shared_ptr<Module> module_;
  std::size_t file_;
};

}  // namespace zeb
