#include <cstdint>

#include "addin/hotkeys/HotKeyMain2007.h"
#include "api/ToolsAPI.h"
#include "runtime/IdeServices.h"

using namespace zeb;

namespace {
// The index AddKeyboardBinding gave the binding, kept so that finalisation can remove it.
std::int32_t bindingIndex = -1;
}  // namespace

void Register() {
  // The binding is created first; should the cast below raise, its only reference goes with it.
  const ComPtr<IOTAKeyboardBinding> binding = MakeCounted<TMyHotkey>();
  const auto keyboardServices = BorlandIDEServices.As<IOTAKeyboardServices>();
  if (!keyboardServices) return;
  bindingIndex = keyboardServices->AddKeyboardBinding(binding.Get());
}

void FinalizeHotKeyMain2007() {
  if (bindingIndex < 0) return;
  // Finalisation raises nothing: without keyboard services there is no binding left to remove.
  ComPtr<IOTAKeyboardServices> keyboardServices;
  if (Supports(BorlandIDEServices, keyboardServices))
    keyboardServices->RemoveKeyboardBinding(bindingIndex);
  bindingIndex = -1;
}
