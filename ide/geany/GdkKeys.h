// GDK key presses as the IDE's key codes: GDK's tables into the key table (ide/core/KeyName.h),
// read by ide/core/ToolkitKeys.h, beside Qt's (ide/qt/KeyTranslation.h).
//
// GDK names a key by the symbol it makes with the modifiers pressed (Shift+1 is "exclam", Shift+a
// "A", Shift+Tab "ISO_Left_Tab"), and gives the numeric keypad's keys symbols of their own: the
// table takes each back to the key of a US keyboard, and the keypad's digits and operators to the
// keypad's codes, so that bindings can tell them from the main keyboard's.
#pragma once

#include <cstdint>
#include <span>

#include "api/KeyTypes.h"
#include "ide/core/ToolkitKeys.h"

namespace zeb {

std::span<const ToolkitKey> GdkKeys();
std::span<const ToolkitModifier> GdkModifiers();

// The key code of a key symbol (GdkEventKey::keyval) with a modifier state (GdkEventKey::state),
// or 0 when the key has no virtual-key code (a bare modifier, a dead key, a symbol of another
// script) or a key held with Super. ISO_Left_Tab is Tab with Shift whatever the state says.
TShortCut KeyCodeOf(std::uint32_t keyval, std::uint32_t state);

}  // namespace zeb
