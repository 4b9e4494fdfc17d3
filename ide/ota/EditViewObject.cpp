#include "ide/ota/EditViewObject.h"

#include <algorithm>
#include <cstdint>

#include "ide/core/Ide.h"
#include "ide/ota/EditBlockObject.h"
#include "ide/ota/EditPositionObject.h"

namespace zebide {

ComPtr<IOTAEditBlock> EditViewObject::GetBlock() {
  return MakeCounted<EditBlockObject>(view_);
}

void EditViewObject::Paint() {
  ide_->Paint(*view_);
}

TOTAEditPos EditViewObject::GetCursorPos() {
  const TextPos cursor = view_->Cursor();
  TOTAEditPos pos;
  pos.Col = static_cast<std::int16_t>(std::min<std::int32_t>(cursor.col, INT16_MAX));
  pos.Line = cursor.line;
  return pos;
}

ComPtr<IOTAEditPosition> EditViewObject::GetPosition() {
  return MakeCounted<EditPositionObject>(view_);
}

}  // namespace zebide
