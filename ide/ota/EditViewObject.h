// EditViewObject: the IOTAEditView of one of the editor's views.
#pragma once

#include <memory>
#include <utility>

#include "api/ToolsAPI.h"
#include "ide/core/EditorSeam.h"
#include "ide/ota/LiveObjects.h"

namespace zeb {

class ObjectPools;

class EditViewObject final : public CountedObject<IOTAEditView> {
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

 private:
  EditorSeam* editor_;
  ObjectPools* pools_;
  std::shared_ptr<EditorSeam::View> view_;
};

}  // namespace zeb
