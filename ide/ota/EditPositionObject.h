// EditPositionObject: the IOTAEditPosition of a view: the cursor's column and row, and the
// number of the text's last row.
#pragma once

#include <memory>
#include <utility>

#include "api/ToolsAPI.h"
#include "ide/core/EditView.h"
#include "ide/ota/LiveObjects.h"

namespace zeb {

class EditPositionObject final : public CountedObject<IOTAEditPosition> {
 public:
  explicit EditPositionObject(std::shared_ptr<EditView> view) : view_(std::move(view)) {}
  bool Serves(const std::shared_ptr<EditView>& view) const noexcept { return view_ == view; }
  void Serve(std::shared_ptr<EditView> view) noexcept { view_ = std::move(view); }

  std::int32_t GetColumn() override { return view_->Cursor().col; }
  std::int32_t GetRow() override { return view_->Cursor().line; }
  std::int32_t GetLastRow() override;

 private:
  std::shared_ptr<EditView> view_;
};

}  // namespace zeb
