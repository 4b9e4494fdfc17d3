// EditViewObject: the IOTAEditView of one of the IDE's views.
#pragma once

#include <memory>

#include "api/ToolsAPI.h"
#include "ide/core/EditView.h"
#include "ide/ota/LiveObjects.h"

namespace zebide {

class Ide;

class EditViewObject final : public CountedObject<IOTAEditView> {
 public:
  EditViewObject(Ide& ide, std::shared_ptr<EditView> view) : ide_(&ide), view_(std::move(view)) {}

  ComPtr<IOTAEditBlock> GetBlock() override;
  void Paint() override;
  // The cursor; a column beyond the 16 bits of the record reads as its largest value.
  TOTAEditPos GetCursorPos() override;
  ComPtr<IOTAEditPosition> GetPosition() override;

 private:
  Ide* ide_;
  std::shared_ptr<EditView> view_;
};

}  // namespace zebide
