#include "ide/qt/KeyTranslation.h"

#include <QKeyEvent>
#include <cstddef>

#include "runtime/KeyCodes.h"

namespace zeb {

namespace {
struct KeyPair {
  int qtKey;
  std::uint16_t virtualKey;
};

// Keys whose Qt codes do not run in step with their virtual-key codes (letters, digits and
// function keys do).
constexpr KeyPair kKeys[] = {
    {Qt::Key_Backspace, vkBack},    {Qt::Key_Tab, vkTab},
    {Qt::Key_Backtab, vkTab},       {Qt::Key_Clear, vkClear},
    {Qt::Key_Return, vkReturn},     {Qt::Key_Enter, vkReturn},
    {Qt::Key_Pause, vkPause},       {Qt::Key_CapsLock, vkCapital},
    {Qt::Key_Escape, vkEscape},     {Qt::Key_Space, vkSpace},
    {Qt::Key_PageUp, vkPrior},      {Qt::Key_PageDown, vkNext},
    {Qt::Key_End, vkEnd},           {Qt::Key_Home, vkHome},
    {Qt::Key_Left, vkLeft},         {Qt::Key_Up, vkUp},
    {Qt::Key_Right, vkRight},       {Qt::Key_Down, vkDown},
    {Qt::Key_Print, vkSnapshot},    {Qt::Key_Insert, vkInsert},
    {Qt::Key_Delete, vkDelete},     {Qt::Key_Menu, vkApps},
    {Qt::Key_Asterisk, vkMultiply}, {Qt::Key_Plus, vkOemPlus},
    {Qt::Key_Comma, vkOemComma},    {Qt::Key_Minus, vkOemMinus},
    {Qt::Key_Period, vkOemPeriod},  {Qt::Key_Slash, vkOem2},
    {Qt::Key_QuoteLeft, vkOem3},    {Qt::Key_Semicolon, vkOem1},
    {Qt::Key_BracketLeft, vkOem4},  {Qt::Key_Backslash, vkOem5},
    {Qt::Key_BracketRight, vkOem6}, {Qt::Key_Apostrophe, vkOem7},
    {Qt::Key_NumLock, vkNumLock},   {Qt::Key_ScrollLock, vkScroll},
};

// The numeric keypad's digits and operators are keys of their own.
constexpr KeyPair kKeypadKeys[] = {
    {Qt::Key_Asterisk, vkMultiply}, {Qt::Key_Plus, vkAdd},      {Qt::Key_Minus, vkSubtract},
    {Qt::Key_Period, vkDecimal},    {Qt::Key_Comma, vkDecimal}, {Qt::Key_Slash, vkDivide},
};

template <std::size_t N>
constexpr std::uint16_t Find(const KeyPair (&table)[N], int qtKey) {
  for (const KeyPair& pair : table)
    if (pair.qtKey == qtKey) return pair.virtualKey;
  return 0;
}

std::uint16_t KeypadKeyOf(int qtKey) {
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
    return static_cast<std::uint16_t>(vkNumpad0 + (qtKey - Qt::Key_0));
  return Find(kKeypadKeys, qtKey);
}
}  // namespace

std::uint16_t VirtualKeyOf(int qtKey) {
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
    return static_cast<std::uint16_t>(vkA + (qtKey - Qt::Key_A));
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
    return static_cast<std::uint16_t>(vk0 + (qtKey - Qt::Key_0));
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
    return static_cast<std::uint16_t>(vkF1 + (qtKey - Qt::Key_F1));
  return Find(kKeys, qtKey);
}

TShortCut KeyCodeOf(int qtKey, Qt::KeyboardModifiers modifiers) {
  // Super has no bit in a key code: a key held with it is the desktop's, none of the IDE's.
  if (modifiers.testFlag(Qt::MetaModifier)) return 0;
  std::uint16_t key = modifiers.testFlag(Qt::KeypadModifier) ? KeypadKeyOf(qtKey) : 0;
  if (key == 0) key = VirtualKeyOf(qtKey);
  if (key == 0) return 0;
  unsigned code = key;
  if (modifiers.testFlag(Qt::ShiftModifier) || qtKey == Qt::Key_Backtab) code |= scShift;
  if (modifiers.testFlag(Qt::ControlModifier)) code |= scCtrl;
  if (modifiers.testFlag(Qt::AltModifier)) code |= scAlt;
  return static_cast<TShortCut>(code);
}

TShortCut KeyCodeOf(const QKeyEvent& event) {
  return KeyCodeOf(event.key(), event.modifiers());
}

}  // namespace zeb
