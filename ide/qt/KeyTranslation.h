// Qt key presses as the IDE's key codes: the virtual-key code plus 0x2000 for Shift, 0x4000 for
// Ctrl and 0x8000 for Alt.
#pragma once

#include <Qt>

#include "api/KeyTypes.h"

class QKeyEvent;

namespace zeb {

// The virtual-key code of a Qt key, or 0 when the key has none (a dead key, a bare modifier).
std::uint16_t VirtualKeyOf(int qtKey);

// The key code of a key press with its modifiers, or 0 when the key has no virtual-key code.
// Qt reports Shift+Tab as Key_Backtab; it becomes Tab with Shift (0x2009). Digits and operators
// of the numeric keypad get the keypad's codes (Num5 is 0x65), so that bindings can tell them
// from the main keyboard's.
TShortCut KeyCodeOf(int qtKey, Qt::KeyboardModifiers modifiers);
TShortCut KeyCodeOf(const QKeyEvent& event);

}  // namespace zeb
