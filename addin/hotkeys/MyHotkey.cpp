#include "addin/hotkeys/MyHotkey.h"

#include <array>

#include "addin/hotkeys/BlockCommands.h"
#include "addin/hotkeys/ShowFormInfo.h"
#include "runtime/KeyCodes.h"

namespace {
constexpr std::uint16_t kKeyU = 0x55;
constexpr std::uint16_t kKeyL = 0x4C;
constexpr std::int32_t kBindingFlags = kfImplicitShift | kfImplicitModifier | kfImplicitKeypad;
}  // namespace

TBindingType TMyHotkey::GetBindingType() {
  return btComplete;
}

std::string TMyHotkey::GetDisplayName() {
  return "ZEB IDE 확장 서비스";
}

std::string TMyHotkey::GetName() {
  return "ZEB_Addin_HotKey";
}

void TMyHotkey::BindKeyboard(IOTAKeyBindingServices* bindingServices) {
  const auto proc = TKeyBindingProc::Of<&TMyHotkey::HandleKey>(this);
  const std::array<TShortCut, 3> keys = {
      ShortCut(vkTab, TShiftState::None),
      ShortCut(vkTab, TShiftState::Shift),
      ShortCut(kKeyU, TShiftState::Ctrl | TShiftState::Alt),
  };
  // One binding per key; what each call returns does not stop the next.
  for (const TShortCut& key : keys)
    bindingServices->AddKeyBinding(std::span<const TShortCut>(&key, 1), proc, nullptr,
                                   kBindingFlags, "", "");
}

void TMyHotkey::HandleKey(IOTAKeyContext* /*context*/, TShortCut keyCode,
                          TKeyBindingResult& bindingResult) {
  bindingResult = krNextProc;
  std::uint16_t key = 0;
  TShiftState shift = TShiftState::None;
  ShortCutToKey(keyCode, key, shift);

  if (key == vkTab) {
    // Ctrl and Alt do not matter for Tab.
    if (IndentBlock(Has(shift, TShiftState::Shift) ? -1 : +1)) bindingResult = krHandled;
    return;
  }
  if (!Has(shift, TShiftState::Ctrl | TShiftState::Alt)) return;
  if (key == kKeyU) {  // Shift either way
    ShowFormInfo();
    bindingResult = krHandled;
    return;
  }
  if (key == kKeyL && Has(shift, TShiftState::Shift)) {
    LowerCaseBlock();
    bindingResult = krHandled;
  }
}
