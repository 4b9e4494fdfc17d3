// SourceEditorObject: the IOTASourceEditor of one file of a module. Its sub-views are the
// module's files, as the tabs of the editor window show them. It answers IZebEditBuffer for the
// file's text (EditBufferMethods).
#pragma once

#include <cstddef>
#include <memory>
#include <utility>

#include "api/ToolsAPI.h"
#include "api/ZebEditorAPI.h"
#include "ide/core/EditorSeam.h"
#include "ide/ota/EditBufferMethods.h"

namespace zeb {

class ObjectPools;

class SourceEditorObject final
    : public EditBufferMethods<SourceEditorObject, IOTASourceEditor, IZebEditBuffer> {
 public:
  SourceEditorObject(EditorSeam& editor, ObjectPools& pools,
                     std::shared_ptr<EditorSeam::Module> module, std::size_t file)
      : editor_(&editor), pools_(&pools), module_(std::move(module)), file_(file) {}
  bool Serves(const EditorSeam::Module* module, std::size_t file) const noexcept {
    return module_.get() == module && file_ == file;
  }
  void Serve(std::shared_ptr<EditorSeam::Module> module, std::size_t file) noexcept {
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

  // For EditBufferMethods.
  std::shared_ptr<EditorSeam::Text> BufferText() { return module_->FileText(file_); }
  EditorSeam* Editor() const noexcept { return editor_; }

 private:
  EditorSeam* editor_;
  ObjectPools* pools_;
  std::shared_ptr<EditorSeam::Module> module_;
  std::size_t file_;
};

}  // namespace zeb
