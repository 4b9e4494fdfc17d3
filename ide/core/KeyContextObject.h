// KeyContextObject: the IOTAKeyContext handed to a key procedure for one press.
#pragma once

#include "host/ToolsAPI.h"
#include "ide/core/LiveObjects.h"

namespace zebide {

class KeyContextObject final : public CountedObject<IOTAKeyContext> {};

}  // namespace zebide
