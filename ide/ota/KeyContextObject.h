// KeyContextObject: the IOTAKeyContext handed to a key procedure for one press.
#pragma once

#include "api/ToolsAPI.h"
#include "ide/ota/LiveObjects.h"

namespace zeb {

class KeyContextObject final : public CountedObject<IOTAKeyContext> {};

}  // namespace zeb
