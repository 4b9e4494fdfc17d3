// Key codes as the IDE encodes them: a virtual-key code plus one bit per modifier.
#pragma once

#include <cstdint>

#include "api/Export.h"
#include "api/KeyTypes.h"

namespace zeb {

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

// Virtual-key codes: the one list of them for the add-in, the IDE and its front ends. A key code
// (TShortCut) is one of these plus the modifier bits.
inline constexpr std::uint16_t vkBack = 0x08;  // Backspace
inline constexpr std::uint16_t vkTab = 0x09;
inline constexpr std::uint16_t vkClear = 0x0C;
inline constexpr std::uint16_t vkReturn = 0x0D;  // Enter, of the main keyboard and the keypad
inline constexpr std::uint16_t vkPause = 0x13;
inline constexpr std::uint16_t vkCapital = 0x14;  // Caps Lock
inline constexpr std::uint16_t vkEscape = 0x1B;
inline constexpr std::uint16_t vkSpace = 0x20;
inline constexpr std::uint16_t vkPrior = 0x21;  // Page Up
inline constexpr std::uint16_t vkNext = 0x22;   // Page Down
inline constexpr std::uint16_t vkEnd = 0x23;
inline constexpr std::uint16_t vkHome = 0x24;
inline constexpr std::uint16_t vkLeft = 0x25;
inline constexpr std::uint16_t vkUp = 0x26;
inline constexpr std::uint16_t vkRight = 0x27;
inline constexpr std::uint16_t vkDown = 0x28;
inline constexpr std::uint16_t vkSnapshot = 0x2C;  // Print Screen
inline constexpr std::uint16_t vkInsert = 0x2D;
inline constexpr std::uint16_t vkDelete = 0x2E;
// Digits and letters of the main keyboard are their ASCII capitals.
inline constexpr std::uint16_t vk0 = 0x30;
inline constexpr std::uint16_t vk1 = 0x31;
inline constexpr std::uint16_t vk2 = 0x32;
inline constexpr std::uint16_t vk3 = 0x33;
inline constexpr std::uint16_t vk4 = 0x34;
inline constexpr std::uint16_t vk5 = 0x35;
inline constexpr std::uint16_t vk6 = 0x36;
inline constexpr std::uint16_t vk7 = 0x37;
inline constexpr std::uint16_t vk8 = 0x38;
inline constexpr std::uint16_t vk9 = 0x39;
inline constexpr std::uint16_t vkA = 0x41;
inline constexpr std::uint16_t vkB = 0x42;
inline constexpr std::uint16_t vkC = 0x43;
inline constexpr std::uint16_t vkD = 0x44;
inline constexpr std::uint16_t vkE = 0x45;
inline constexpr std::uint16_t vkF = 0x46;
inline constexpr std::uint16_t vkG = 0x47;
inline constexpr std::uint16_t vkH = 0x48;
inline constexpr std::uint16_t vkI = 0x49;
inline constexpr std::uint16_t vkJ = 0x4A;
inline constexpr std::uint16_t vkK = 0x4B;
inline constexpr std::uint16_t vkL = 0x4C;
inline constexpr std::uint16_t vkM = 0x4D;
inline constexpr std::uint16_t vkN = 0x4E;
inline constexpr std::uint16_t vkO = 0x4F;
inline constexpr std::uint16_t vkP = 0x50;
inline constexpr std::uint16_t vkQ = 0x51;
inline constexpr std::uint16_t vkR = 0x52;
inline constexpr std::uint16_t vkS = 0x53;
inline constexpr std::uint16_t vkT = 0x54;
inline constexpr std::uint16_t vkU = 0x55;
inline constexpr std::uint16_t vkV = 0x56;
inline constexpr std::uint16_t vkW = 0x57;
inline constexpr std::uint16_t vkX = 0x58;
inline constexpr std::uint16_t vkY = 0x59;
inline constexpr std::uint16_t vkZ = 0x5A;
inline constexpr std::uint16_t vkApps = 0x5D;  // the context-menu key
// The numeric keypad: digits and operators are keys of their own.
inline constexpr std::uint16_t vkNumpad0 = 0x60;
inline constexpr std::uint16_t vkNumpad1 = 0x61;
inline constexpr std::uint16_t vkNumpad2 = 0x62;
inline constexpr std::uint16_t vkNumpad3 = 0x63;
inline constexpr std::uint16_t vkNumpad4 = 0x64;
inline constexpr std::uint16_t vkNumpad5 = 0x65;
inline constexpr std::uint16_t vkNumpad6 = 0x66;
inline constexpr std::uint16_t vkNumpad7 = 0x67;
inline constexpr std::uint16_t vkNumpad8 = 0x68;
inline constexpr std::uint16_t vkNumpad9 = 0x69;
inline constexpr std::uint16_t vkMultiply = 0x6A;
inline constexpr std::uint16_t vkAdd = 0x6B;
inline constexpr std::uint16_t vkSubtract = 0x6D;
inline constexpr std::uint16_t vkDecimal = 0x6E;
inline constexpr std::uint16_t vkDivide = 0x6F;
inline constexpr std::uint16_t vkF1 = 0x70;
inline constexpr std::uint16_t vkF2 = 0x71;
inline constexpr std::uint16_t vkF3 = 0x72;
inline constexpr std::uint16_t vkF4 = 0x73;
inline constexpr std::uint16_t vkF5 = 0x74;
inline constexpr std::uint16_t vkF6 = 0x75;
inline constexpr std::uint16_t vkF7 = 0x76;
inline constexpr std::uint16_t vkF8 = 0x77;
inline constexpr std::uint16_t vkF9 = 0x78;
inline constexpr std::uint16_t vkF10 = 0x79;
inline constexpr std::uint16_t vkF11 = 0x7A;
inline constexpr std::uint16_t vkF12 = 0x7B;
inline constexpr std::uint16_t vkF13 = 0x7C;
inline constexpr std::uint16_t vkF14 = 0x7D;
inline constexpr std::uint16_t vkF15 = 0x7E;
inline constexpr std::uint16_t vkF16 = 0x7F;
inline constexpr std::uint16_t vkF17 = 0x80;
inline constexpr std::uint16_t vkF18 = 0x81;
inline constexpr std::uint16_t vkF19 = 0x82;
inline constexpr std::uint16_t vkF20 = 0x83;
inline constexpr std::uint16_t vkF21 = 0x84;
inline constexpr std::uint16_t vkF22 = 0x85;
inline constexpr std::uint16_t vkF23 = 0x86;
inline constexpr std::uint16_t vkF24 = 0x87;
inline constexpr std::uint16_t vkNumLock = 0x90;
inline constexpr std::uint16_t vkScroll = 0x91;  // Scroll Lock
// Punctuation of a US keyboard.
inline constexpr std::uint16_t vkOem1 = 0xBA;  // ;
inline constexpr std::uint16_t vkOemPlus = 0xBB;
inline constexpr std::uint16_t vkOemComma = 0xBC;
inline constexpr std::uint16_t vkOemMinus = 0xBD;
inline constexpr std::uint16_t vkOemPeriod = 0xBE;
inline constexpr std::uint16_t vkOem2 = 0xBF;  // /
inline constexpr std::uint16_t vkOem3 = 0xC0;  // `
inline constexpr std::uint16_t vkOem4 = 0xDB;  // [
inline constexpr std::uint16_t vkOem5 = 0xDC;  // backslash
inline constexpr std::uint16_t vkOem6 = 0xDD;  // ]
inline constexpr std::uint16_t vkOem7 = 0xDE;  // '

// Combines a virtual-key code with modifiers. Virtual-key codes are one byte: a wider code is no
// key and gives 0.
ZEB_RTL_API TShortCut ShortCut(std::uint16_t key, TShiftState shift);

// Splits a key code: the modifier bits go to `shift`, the code with those three bits cleared (all
// other bits kept) to `key`.
ZEB_RTL_API void ShortCutToKey(TShortCut shortCut, std::uint16_t& key, TShiftState& shift);

}  // namespace zeb
