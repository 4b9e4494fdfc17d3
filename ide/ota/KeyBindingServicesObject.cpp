#include "ide/ota/KeyBindingServicesObject.h"

namespace zeb {

bool KeyBindingServicesObject::AddKeyBinding(std::span<const TShortCut> keys, TKeyBindingProc proc,
                                             void* context, std::int32_t flags,
                                             const std::string& keyboard,
                                             const std::string& menuItemName) {
  if (bindings_ == nullptr) return false;
  KeyHandler handler;
  handler.keys.assign(keys.begin(), keys.end());
  handler.proc = proc;
  handler.context = context;
  handler.flags = flags;
  handler.keyboard = keyboard;
  handler.menuItemName = menuItemName;
  handler.bindingIndex = bindingIndex_;
  handler.binding = binding_;
  return bindings_->AddHandler(std::move(handler));
}

void KeyBindingServicesObject::Close() noexcept {
  bindings_ = nullptr;
  binding_.Reset();
}

}  // namespace zeb
