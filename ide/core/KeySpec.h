// KeySpec: key codes from their names, as scripts and key-map files write them.
//
// A name is modifiers joined by '+' and a key: "Tab", "Shift+Tab", "Ctrl+Alt+U",
// "Ctrl+Alt+Shift+L". Modifiers are Shift, Ctrl and Alt in any order and case. Keys: a letter,
// a digit, Tab, Enter, Esc, Space, Backspace, Delete, Insert, Home, End, PgUp, PgDn, Left, Up,
// Right, Down, F1 to F12, Num0 to Num9, NumPlus, NumMinus, NumDot, NumSlash. A code written in
// hexadecimal ("0x2009") is taken as it is.
#pragma once

#include <optional>
#include <string_view>

#include "api/KeyTypes.h"

namespace zebide {

class KeySpec {
 public:
  static std::optional<TShortCut> Parse(std::string_view spec);
};

}  // namespace zebide
