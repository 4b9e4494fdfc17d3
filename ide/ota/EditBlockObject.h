// EditBlockObject: the IOTAEditBlock of a view. Its commands are the view's block commands.
#pragma once

#include <memory>
#include <utility>

#include "api/ToolsAPI.h"
#include "ide/core/EditView.h"
#include "ide/ota/LiveObjects.h"

namespace zeb {

class EditBlockObject final : public CountedObject<IOTAEditBlock> {
 public:
  explicit EditBlockObject(std::shared_ptr<EditView> view) : view_(std::move(view)) {}
  bool Serves(const std::shared_ptr<EditView>& view) const noexcept { return view_ == view; }
  void Serve(std::shared_ptr<EditView> view) noexcept { view_ = std::move(view); }

  bool GetIsValid() override { return view_->HasBlock(); }
  void Indent(std::int32_t magnitude) override { view_->IndentBlock(magnitude); }
  void LowerCase() override { view_->LowerCaseBlock(); }
  // The block's size in bytes, line ends included.
  std::int32_t GetSize() override;

 private:
  std::shared_ptr<EditView> view_;
};

}  // namespace zeb
