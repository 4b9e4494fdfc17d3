// EditViewObject: the IOTAEditView of one of the IDE's views.
#pragma once

#include <memory>
#include <utility>

#include "api/ToolsAPI.h"
#include "ide/core/EditView.h"
#include "ide/ota/LiveObjects.h"

namespace zeb {

class Ide;
class ObjectPools;

class EditViewObject final : public CountedObject<IOTAEditView> {
 public:
  EditViewObject(Ide& ide, ObjectPools& pools, std::shared_ptr<EditView> view)
      : ide_(&ide), pools_(&pools), view_(std::move(view)) {}
  bool Serves(const std::shared_ptr<EditView>& view) const noexcept { return view_ == view; }
  void Serve(std::shared_ptr<EditView> view) noexcept { view_ = std::move(view); }

  ComPtr<IOTAEditBlock> GetBlock() override;
  void Paint() override;
  // The cursor; a column beyond the 16 bits of the record reads as its largest value.
  TOTAEditPos GetCursorPos() override;
  ComPtr<IOTAEditPosition> GetPosition() override;

 private:
  Ide* ide_;
  ObjectPools* pools_;
  std::shared_ptr<EditView> view_;
};

}  // namespace zeb
