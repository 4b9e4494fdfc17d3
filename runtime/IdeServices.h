// The global service provider. The IDE host sets it before it loads packages and clears it after
// it unloads them; the add-in only reads it.
#pragma once

#include "api/ComPtr.h"
#include "api/Export.h"
#include "api/ToolsAPI.h"
#include "runtime/Exceptions.h"  // the checked cast's error

namespace zeb {

extern ZEB_RTL_API ComPtr<IBorlandIDEServices> BorlandIDEServices;

}  // namespace zeb
