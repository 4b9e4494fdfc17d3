// EditBlockObject: the IOTAEditBlock of a view. Its commands are the view's block commands.
#pragma once

#include <memory>
#include <utility>

#include "api/ToolsAPI.h"
#include "ide/core/EditorSeam.h"
#include "ide/ota/LiveObjects.h"

namespace zeb {

class EditBlockObject final : public CountedObject<IOTAEditBlock> {
 public:
  explicit EditBlockObject(std::shared_ptr<EditorSeam::View> view) : view_(std::move(view)) {}
  bool Serves(const EditorSeam::View* view) const noexcept { return view_.get() == view; }
  void Serve(std::shared_ptr<EditorSeam::View> view) noexcept { view_ = std::move(view); }

  bool GetIsValid() override { return view_->HasBlock(); }
  void Indent(std::int32_t magnitude) override { view_->IndentBlock(magnitude); }
  void LowerCase() override { view_->LowerCaseBlock(); }
  // The block's size in bytes, line ends included.
  std::int32_t GetSize() override;

 private:
  std::shared_ptr<EditorSeam::View> view_;
};

}  // namespace zeb
