// Key codes as the IDE encodes them: a virtual-key code plus one bit per modifier.
#pragma once

#include <cstdint>

#include "api/Export.h"
#include "api/KeyTypes.h"

// The modifiers a key code can carry.
enum class TShiftState : std::uint8_t {
  None = 0,
  Shift = 1,
  Ctrl = 2,
  Alt = 4,
};
constexpr TShiftState operator|(TShiftState a, TShiftState b) {
  return static_cast<TShiftState>(static_cast<std::uint8_t>(a) | static_cast<std::uint8_t>(b));
}
constexpr TShiftState operator&(TShiftState a, TShiftState b) {
  return static_cast<TShiftState>(static_cast<std::uint8_t>(a) & static_cast<std::uint8_t>(b));
}
constexpr bool Has(TShiftState set, TShiftState flag) {
  return (set & flag) == flag;
}

// Virtual-key codes used by the add-in and the hosts.
inline constexpr std::uint16_t vkTab = 0x09;

// Combines a virtual-key code with modifiers. Virtual-key codes are one byte: a wider code is no
// key and gives 0.
ZEB_RTL_API TShortCut ShortCut(std::uint16_t key, TShiftState shift);

// Splits a key code: the modifier bits go to `shift`, the code with those three bits cleared (all
// other bits kept) to `key`.
ZEB_RTL_API void ShortCutToKey(TShortCut shortCut, std::uint16_t& key, TShiftState& shift);
