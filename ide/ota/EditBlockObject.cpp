#include "ide/ota/EditBlockObject.h"

#include <algorithm>
#include <cstdint>

namespace zeb {

std::int32_t EditBlockObject::GetSize() {
  return static_cast<std::int32_t>(std::min<std::size_t>(view_->BlockSize(), INT32_MAX));
}

}  // namespace zeb
