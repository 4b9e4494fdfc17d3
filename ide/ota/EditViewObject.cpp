#include "ide/ota/EditViewObject.h"

#include <algorithm>
#include <cstdint>

#include "ide/ota/ObjectPools.h"

namespace zeb {

ComPtr<IOTAEditBlock> EditViewObject::GetBlock() {
  return pools_->BlockFor(*view_);
}

void EditViewObject::Paint() {
  editor_->Paint(*view_);
}

TOTAEditPos EditViewObject::GetCursorPos() {
  const TextPos cursor = view_->Cursor();
  TOTAEditPos pos;
  pos.Col = static_cast<std::int16_t>(std::min<std::int32_t>(cursor.col, INT16_MAX));
  pos.Line = cursor.line;
  return pos;
}

ComPtr<IOTAEditPosition> EditViewObject::GetPosition() {
  return pools_->PositionFor(*view_);
}

}  // namespace zeb
