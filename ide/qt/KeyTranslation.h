// Qt key presses as the IDE's key codes: Qt's tables into the key table (ide/core/KeyName.h),
// read by ide/core/ToolkitKeys.h.
#pragma once

#include <Qt>
#include <span>

#include "api/KeyTypes.h"
#include "ide/core/ToolkitKeys.h"

class QKeyEvent;

namespace zeb {

// Qt's keys, its numeric keypad's keys (which the keypad's modifier tells apart) and modifiers.
std::span<const ToolkitKey> QtKeys();
std::span<const ToolkitKey> QtKeypadKeys();
std::span<const ToolkitModifier> QtModifiers();

// The virtual-key code of a Qt key, or 0 when the key has none (a dead key, a bare modifier).
std::uint16_t VirtualKeyOf(int qtKey);

// The key code of a key press with its modifiers, or 0 when the key has no virtual-key code.
// Qt reports Shift+Tab as Key_Backtab; it becomes Tab with Shift (0x2009). Digits and operators
// of the numeric keypad get the keypad's codes (Num5 is 0x65), so that bindings can tell them
// from the main keyboard's.
TShortCut KeyCodeOf(int qtKey, Qt::KeyboardModifiers modifiers);
TShortCut KeyCodeOf(const QKeyEvent& event);

}  // namespace zeb
