// EditViewObject: the IOTAEditView of one of the editor's views, with the editing extension's
// IZebEditView (32-bit places, the block's ends, setting the cursor and the block) and
// IZebEditBuffer for the text it shows (EditBufferMethods), whose changes record the view's
// state for undo.
#pragma once

#include <memory>
#include <utility>

#include "api/ToolsAPI.h"
#include "api/ZebEditorAPI.h"
#include "ide/core/EditorSeam.h"
#include "ide/ota/EditBufferMethods.h"

namespace zeb {

class ObjectPools;

class EditViewObject final
    : public EditBufferMethods<EditViewObject, IOTAEditView, IZebEditView, IZebEditBuffer> {
 public:
  EditViewObject(EditorSeam& editor, ObjectPools& pools, std::shared_ptr<EditorSeam::View> view)
      : editor_(&editor), pools_(&pools), view_(std::move(view)) {}
  bool Serves(const EditorSeam::View* view) const noexcept { return view_.get() == view; }
  void Serve(std::shared_ptr<EditorSeam::View> view) noexcept { view_ = std::move(view); }

  ComPtr<IOTAEditBlock> GetBlock() override;
  void Paint() override;
  // The cursor; a column beyond the 16 bits of the record reads as its largest value.
  TOTAEditPos GetCursorPos() override;
  ComPtr<IOTAEditPosition> GetPosition() override;

  // IZebEditView
  TZebTextPos GetCursor() override;
  bool SetCursor(TZebTextPos pos) override;
  TZebTextPos GetBlockStart() override;
  TZebTextPos GetBlockEnd() override;
  bool SetBlock(TZebTextPos from, TZebTextPos to) override;
  std::string GetBlockText() override;
  ComPtr<IZebEditBuffer> GetBuffer() override;

  // For EditBufferMethods.
  std::shared_ptr<EditorSeam::Text> BufferText() { return view_->ViewText(); }
  EditorSeam* Editor() const noexcept { return editor_; }

 private:
  EditorSeam* editor_;
  ObjectPools* pools_;
  std::shared_ptr<EditorSeam::View> view_;
};

}  // namespace zeb
