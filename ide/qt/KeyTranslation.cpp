#include "ide/qt/KeyTranslation.h"

#include <QKeyEvent>

namespace zeb {

namespace {
constexpr std::uint32_t Value(int key) {
  return static_cast<std::uint32_t>(key);
}
constexpr ToolkitKey One(int key, std::uint16_t virtualKey) {
  return {Value(key), Value(key), virtualKey};
}

constexpr ToolkitKey kKeys[] = {
    {Value(Qt::Key_A), Value(Qt::Key_Z), vkA},
    {Value(Qt::Key_0), Value(Qt::Key_9), vk0},
    {Value(Qt::Key_F1), Value(Qt::Key_F24), vkF1},
    One(Qt::Key_Backspace, vkBack),
    One(Qt::Key_Tab, vkTab),
    One(Qt::Key_Backtab, vkTab),
    One(Qt::Key_Clear, vkClear),
    One(Qt::Key_Return, vkReturn),
    One(Qt::Key_Enter, vkReturn),
    One(Qt::Key_Pause, vkPause),
    One(Qt::Key_CapsLock, vkCapital),
    One(Qt::Key_Escape, vkEscape),
    One(Qt::Key_Space, vkSpace),
    One(Qt::Key_PageUp, vkPrior),
    One(Qt::Key_PageDown, vkNext),
    One(Qt::Key_End, vkEnd),
    One(Qt::Key_Home, vkHome),
    One(Qt::Key_Left, vkLeft),
    One(Qt::Key_Up, vkUp),
    One(Qt::Key_Right, vkRight),
    One(Qt::Key_Down, vkDown),
    One(Qt::Key_Print, vkSnapshot),
    One(Qt::Key_Insert, vkInsert),
    One(Qt::Key_Delete, vkDelete),
    One(Qt::Key_Menu, vkApps),
    One(Qt::Key_Asterisk, vkMultiply),
    One(Qt::Key_Plus, vkOemPlus),
    One(Qt::Key_Comma, vkOemComma),
    One(Qt::Key_Minus, vkOemMinus),
    One(Qt::Key_Period, vkOemPeriod),
    One(Qt::Key_Slash, vkOem2),
    One(Qt::Key_QuoteLeft, vkOem3),
    One(Qt::Key_Semicolon, vkOem1),
    One(Qt::Key_BracketLeft, vkOem4),
    One(Qt::Key_Backslash, vkOem5),
    One(Qt::Key_BracketRight, vkOem6),
    One(Qt::Key_Apostrophe, vkOem7),
    One(Qt::Key_NumLock, vkNumLock),
    One(Qt::Key_ScrollLock, vkScroll),
    One(Qt::Key_Equal, vkOemPlus),
    // Qt names a key pressed with Shift by the character it makes: these are the keys of a US
    // keyboard that make them.
    One(Qt::Key_ParenRight, vk0),
    One(Qt::Key_Exclam, vk1),
    One(Qt::Key_At, vk2),
    One(Qt::Key_NumberSign, vk3),
    One(Qt::Key_Dollar, vk4),
    One(Qt::Key_Percent, vk5),
    One(Qt::Key_AsciiCircum, vk6),
    One(Qt::Key_Ampersand, vk7),
    One(Qt::Key_ParenLeft, vk9),
    One(Qt::Key_Colon, vkOem1),
    One(Qt::Key_Less, vkOemComma),
    One(Qt::Key_Underscore, vkOemMinus),
    One(Qt::Key_Greater, vkOemPeriod),
    One(Qt::Key_Question, vkOem2),
    One(Qt::Key_AsciiTilde, vkOem3),
    One(Qt::Key_BraceLeft, vkOem4),
    One(Qt::Key_Bar, vkOem5),
    One(Qt::Key_BraceRight, vkOem6),
    One(Qt::Key_QuoteDbl, vkOem7),
};

// The numeric keypad's digits and operators are keys of their own; its other keys (Home, Enter)
// are those of the main keyboard.
constexpr ToolkitKey kKeypadKeys[] = {
    {Value(Qt::Key_0), Value(Qt::Key_9), vkNumpad0},
    One(Qt::Key_Asterisk, vkMultiply),
    One(Qt::Key_Plus, vkAdd),
    One(Qt::Key_Minus, vkSubtract),
    One(Qt::Key_Period, vkDecimal),
    One(Qt::Key_Comma, vkDecimal),
    One(Qt::Key_Slash, vkDivide),
};

constexpr ToolkitModifier kModifiers[] = {
    {Qt::ShiftModifier, TShiftState::Shift},
    {Qt::ControlModifier, TShiftState::Ctrl},
    {Qt::AltModifier, TShiftState::Alt},
};
}  // namespace

std::span<const ToolkitKey> QtKeys() {
  return kKeys;
}

std::span<const ToolkitKey> QtKeypadKeys() {
  return kKeypadKeys;
}

std::span<const ToolkitModifier> QtModifiers() {
  return kModifiers;
}

std::uint16_t VirtualKeyOf(int qtKey) {
  return VirtualKeyIn(kKeys, Value(qtKey));
}

TShortCut KeyCodeOf(int qtKey, Qt::KeyboardModifiers modifiers) {
  // Super has no bit in a key code: a key held with it is the desktop's, none of the IDE's.
  if (modifiers.testFlag(Qt::MetaModifier)) return 0;
  std::uint16_t key =
      modifiers.testFlag(Qt::KeypadModifier) ? VirtualKeyIn(kKeypadKeys, Value(qtKey)) : 0;
  if (key == 0) key = VirtualKeyOf(qtKey);
  if (key == 0) return 0;
  TShiftState shift = ShiftStateIn(kModifiers, static_cast<std::uint32_t>(modifiers.toInt()));
  if (qtKey == Qt::Key_Backtab) shift = shift | TShiftState::Shift;
  return ShortCut(key, shift);
}

TShortCut KeyCodeOf(const QKeyEvent& event) {
  return KeyCodeOf(event.key(), event.modifiers());
}

}  // namespace zeb
