#include "ide/ota/EditPositionObject.h"

#include <algorithm>
#include <cstdint>

namespace zeb {

std::int32_t EditPositionObject::GetLastRow() {
  return static_cast<std::int32_t>(std::min<std::size_t>(view_->LineCount(), INT32_MAX));
}

}  // namespace zeb
