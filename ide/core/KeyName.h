// KeyName: the one table of key names, read both ways: a script's "key Ctrl+Alt+U" becomes its
// code, and a code is printed by its name. Front ends translate their toolkit's keys into the
// same virtual-key codes (ToolkitKeys.h), so every key a front end can press has a name here.
//
// A name is modifiers joined by '+' and a key: "Tab", "Shift+Tab", "Ctrl+Alt+U",
// "Ctrl+Alt+Shift+L". Modifiers are Shift, Ctrl (or Control) and Alt, read in any order and case
// and printed as Ctrl+Alt+Shift+. Keys are read in any case: the keys of Table(), such as a
// letter, a digit, Tab, Enter, Esc, F1 to F24, Num0 to Num9, Semicolon. A code written in
// hexadecimal ("0x2009") is taken as it is. The modifier bits are put in and taken out by the
// runtime's ShortCut and ShortCutToKey alone.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "api/KeyTypes.h"

namespace zeb {

// A key of the table: a name and its virtual-key code.
struct NamedKey {
  std::string_view name;
  std::uint16_t virtualKey;
};

class KeyName {
 public:
  // Every named key. A code's first row gives the name it is printed with; later rows of the
  // same code are other names read for it ("Return" for Enter).
  static std::span<const NamedKey> Table();

  // The code a name stands for, or nothing when it names no key.
  static std::optional<TShortCut> Parse(std::string_view name);
  // The name of a code: "Tab", "Ctrl+Alt+U". A code whose key has no name, or that carries bits
  // beyond a key and its modifiers, is written as Hex writes it.
  static std::string Of(TShortCut code);
  // The code as the script's key lines show it: "0x0009", "0xC055".
  static std::string Hex(TShortCut code);
  // "Tab 0x0009", or only "0x1009" when the code has no name: how reports label a key.
  static std::string Label(TShortCut code);

  // The virtual-key code of a key name without modifiers, in any case, or 0.
  static std::uint16_t VirtualKeyNamed(std::string_view name);
  // The name a virtual-key code is printed with, or "" when it has none.
  static std::string_view NameOf(std::uint16_t virtualKey);
};

}  // namespace zeb
