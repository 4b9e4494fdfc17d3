// KeyName: key codes from their names, as scripts write them, and the label of a code.
//
// A name is modifiers joined by '+' and a key: "Tab", "Shift+Tab", "Ctrl+Alt+U",
// "Ctrl+Alt+Shift+L". Modifiers are Shift, Ctrl and Alt in any order and case. Keys: a letter,
// a digit, Tab, Enter, Esc, Space, Backspace, Delete, Insert, Home, End, PgUp, PgDn, Left, Up,
// Right, Down, F1 to F24, Num0 to Num9, NumPlus, NumMinus, NumDot, NumSlash. A code written in
// hexadecimal ("0x2009") is taken as it is.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "api/KeyTypes.h"

namespace zeb {

class KeyName {
 public:
  // The code a name stands for, or nothing when it names no key.
  static std::optional<TShortCut> Parse(std::string_view name);
  // The code as reports show it: "0x0009", "0xC055".
  static std::string Hex(TShortCut code);
};

}  // namespace zeb
