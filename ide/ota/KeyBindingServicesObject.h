// KeyBindingServicesObject: the IOTAKeyBindingServices a keyboard binding is given while the
// key map is built. It adds the binding's keys to the key bindings' map (KeyBindings::AddHandler,
// which says whether another package holds them); once the build is over (Close) it accepts
// nothing more, so a binding that kept it cannot reach a map that moved on.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "api/ToolsAPI.h"
#include "ide/core/KeyBindings.h"
#include "ide/ota/LiveObjects.h"

namespace zeb {

class KeyBindingServicesObject final : public CountedObject<IOTAKeyBindingServices> {
 public:
  KeyBindingServicesObject(KeyBindings& bindings, std::int32_t bindingIndex,
                           ComPtr<IOTAKeyboardBinding> binding)
      : bindings_(&bindings), bindingIndex_(bindingIndex), binding_(std::move(binding)) {}

  bool AddKeyBinding(std::span<const TShortCut> keys, TKeyBindingProc proc, void* context,
                     std::int32_t flags, const std::string& keyboard,
                     const std::string& menuItemName) override;
  void Close() noexcept;

 private:
  KeyBindings* bindings_;
  std::int32_t bindingIndex_;
  ComPtr<IOTAKeyboardBinding> binding_;
};

}  // namespace zeb
