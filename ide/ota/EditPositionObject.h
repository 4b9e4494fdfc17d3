// EditPositionObject: the IOTAEditPosition of a view: the cursor's column and row, and the
// number of the text's last row.
#pragma once

#include <memory>
#include <utility>

#include "api/ToolsAPI.h"
#include "ide/core/EditorSeam.h"
#include "ide/ota/LiveObjects.h"

namespace zeb {

class EditPositionObject final : public CountedObject<IOTAEditPosition> {
 public:
  explicit EditPositionObject(std::shared_ptr<EditorSeam::View> view) : view_(std::move(view)) {}
  bool Serves(const EditorSeam::View* view) const noexcept { return view_.get() == view; }
  void Serve(std::shared_ptr<EditorSeam::View> view) noexcept { view_ = std::move(view); }

  std::int32_t GetColumn() override { return view_->Cursor().col; }
  std::int32_t GetRow() override { return view_->Cursor().line; }
  std::int32_t GetLastRow() override;

 private:
  std::shared_ptr<EditorSeam::View> view_;
};

}  // namespace zeb
