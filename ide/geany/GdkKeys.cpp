#include "ide/geany/GdkKeys.h"

#include <gdk/gdk.h>

namespace zeb {

namespace {
constexpr ToolkitKey One(std::uint32_t keyval, std::uint16_t virtualKey) {
  return {keyval, keyval, virtualKey};
}

constexpr ToolkitKey kKeys[] = {
    {GDK_KEY_a, GDK_KEY_z, vkA},
    {GDK_KEY_A, GDK_KEY_Z, vkA},
    {GDK_KEY_0, GDK_KEY_9, vk0},
    {GDK_KEY_F1, GDK_KEY_F24, vkF1},
    {GDK_KEY_Left, GDK_KEY_Down, vkLeft},  // Left, Up, Right, Down in both
    One(GDK_KEY_BackSpace, vkBack),
    One(GDK_KEY_Tab, vkTab),
    One(GDK_KEY_ISO_Left_Tab, vkTab),
    One(GDK_KEY_Clear, vkClear),
    One(GDK_KEY_Return, vkReturn),
    One(GDK_KEY_Pause, vkPause),
    One(GDK_KEY_Caps_Lock, vkCapital),
    One(GDK_KEY_Escape, vkEscape),
    One(GDK_KEY_space, vkSpace),
    One(GDK_KEY_Page_Up, vkPrior),
    One(GDK_KEY_Page_Down, vkNext),
    One(GDK_KEY_End, vkEnd),
    One(GDK_KEY_Home, vkHome),
    One(GDK_KEY_Print, vkSnapshot),
    One(GDK_KEY_Insert, vkInsert),
    One(GDK_KEY_Delete, vkDelete),
    One(GDK_KEY_Menu, vkApps),
    One(GDK_KEY_Num_Lock, vkNumLock),
    One(GDK_KEY_Scroll_Lock, vkScroll),
    One(GDK_KEY_asterisk, vkMultiply),
    One(GDK_KEY_plus, vkOemPlus),
    One(GDK_KEY_equal, vkOemPlus),
    One(GDK_KEY_comma, vkOemComma),
    One(GDK_KEY_minus, vkOemMinus),
    One(GDK_KEY_period, vkOemPeriod),
    One(GDK_KEY_slash, vkOem2),
    One(GDK_KEY_grave, vkOem3),
    One(GDK_KEY_semicolon, vkOem1),
    One(GDK_KEY_bracketleft, vkOem4),
    One(GDK_KEY_backslash, vkOem5),
    One(GDK_KEY_bracketright, vkOem6),
    One(GDK_KEY_apostrophe, vkOem7),
    // What Shift makes of the keys of a US keyboard.
    One(GDK_KEY_parenright, vk0),
    One(GDK_KEY_exclam, vk1),
    One(GDK_KEY_at, vk2),
    One(GDK_KEY_numbersign, vk3),
    One(GDK_KEY_dollar, vk4),
    One(GDK_KEY_percent, vk5),
    One(GDK_KEY_asciicircum, vk6),
    One(GDK_KEY_ampersand, vk7),
    One(GDK_KEY_parenleft, vk9),
    One(GDK_KEY_colon, vkOem1),
    One(GDK_KEY_less, vkOemComma),
    One(GDK_KEY_underscore, vkOemMinus),
    One(GDK_KEY_greater, vkOemPeriod),
    One(GDK_KEY_question, vkOem2),
    One(GDK_KEY_asciitilde, vkOem3),
    One(GDK_KEY_braceleft, vkOem4),
    One(GDK_KEY_bar, vkOem5),
    One(GDK_KEY_braceright, vkOem6),
    One(GDK_KEY_quotedbl, vkOem7),
    // The numeric keypad: digits and operators are keys of their own, the rest (with Num Lock
    // off) are the main keyboard's; its 5 without Num Lock is Clear.
    {GDK_KEY_KP_0, GDK_KEY_KP_9, vkNumpad0},
    One(GDK_KEY_KP_Multiply, vkMultiply),
    One(GDK_KEY_KP_Add, vkAdd),
    One(GDK_KEY_KP_Subtract, vkSubtract),
    One(GDK_KEY_KP_Decimal, vkDecimal),
    One(GDK_KEY_KP_Separator, vkDecimal),
    One(GDK_KEY_KP_Divide, vkDivide),
    One(GDK_KEY_KP_Enter, vkReturn),
    One(GDK_KEY_KP_Space, vkSpace),
    One(GDK_KEY_KP_Tab, vkTab),
    {GDK_KEY_KP_Left, GDK_KEY_KP_Down, vkLeft},
    One(GDK_KEY_KP_Home, vkHome),
    One(GDK_KEY_KP_End, vkEnd),
    One(GDK_KEY_KP_Page_Up, vkPrior),
    One(GDK_KEY_KP_Page_Down, vkNext),
    One(GDK_KEY_KP_Begin, vkClear),
    One(GDK_KEY_KP_Insert, vkInsert),
    One(GDK_KEY_KP_Delete, vkDelete),
};

constexpr ToolkitModifier kModifiers[] = {
    {GDK_SHIFT_MASK, TShiftState::Shift},
    {GDK_CONTROL_MASK, TShiftState::Ctrl},
    {GDK_MOD1_MASK, TShiftState::Alt},
};
}  // namespace

std::span<const ToolkitKey> GdkKeys() {
  return kKeys;
}

std::span<const ToolkitModifier> GdkModifiers() {
  return kModifiers;
}

TShortCut KeyCodeOf(std::uint32_t keyval, std::uint32_t state) {
  // Super has no bit in a key code: a key held with it is the desktop's, none of the IDE's. X
  // reports it as Mod4, GTK also as Super.
  if ((state & (GDK_SUPER_MASK | GDK_MOD4_MASK)) != 0) return 0;
  const std::uint16_t key = VirtualKeyIn(kKeys, keyval);
  if (key == 0) return 0;
  TShiftState shift = ShiftStateIn(kModifiers, state);
  if (keyval == GDK_KEY_ISO_Left_Tab) shift = shift | TShiftState::Shift;
  return ShortCut(key, shift);
}

}  // namespace zeb
