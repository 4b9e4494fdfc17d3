#include "ide/ota/KeyObjects.h"

#include "ide/ota/KeyBindingServicesObject.h"

namespace zeb {

ComPtr<IOTAKeyBindingServices> KeyObjects::OpenBindingServices(
    KeyBindings& bindings, std::int32_t bindingIndex, const ComPtr<IOTAKeyboardBinding>& binding) {
  return MakeCounted<KeyBindingServicesObject>(bindings, bindingIndex, binding);
}

void KeyObjects::CloseBindingServices(IOTAKeyBindingServices& services) noexcept {
  // Only this factory makes the services it is handed back.
  static_cast<KeyBindingServicesObject&>(services).Close();
}

ComPtr<IOTAKeyContext> KeyObjects::KeyContext() {
  return contexts_.Acquire([](const KeyContextObject&) { return true; }, [](KeyContextObject&) {},
                           [] { return MakeCounted<KeyContextObject>(); });
}

}  // namespace zeb
