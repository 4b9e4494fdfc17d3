// KeyObjects: the objects key bindings hand to add-ins (see KeyBindingObjects): a keyboard
// binding's binding services while the key map is built, and the key context of a press, which
// is used again for the next press once the procedures have let go of it.
#pragma once

#include <cstdint>

#include "api/ComPtr.h"
#include "api/ToolsAPI.h"
#include "ide/core/KeyBindings.h"
#include "ide/ota/KeyContextObject.h"
#include "ide/ota/ObjectPool.h"

namespace zeb {

class KeyObjects final : public KeyBindingObjects {
 public:
  ComPtr<IOTAKeyBindingServices> OpenBindingServices(
      KeyBindings& bindings, std::int32_t bindingIndex,
      const ComPtr<IOTAKeyboardBinding>& binding) override;
  void CloseBindingServices(IOTAKeyBindingServices& services) noexcept override;
  ComPtr<IOTAKeyContext> KeyContext() override;
  // Lets go of the pooled key context.
  void Clear() noexcept { contexts_.Clear(); }

 private:
  ObjectPool<KeyContextObject, 1> contexts_;
};

}  // namespace zeb
