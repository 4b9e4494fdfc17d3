#include "ide/qt/KeyTranslation.h"

#include <QKeyEvent>

namespace ide::qt {

std::uint16_t VirtualKeyOf(int qtKey) {
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return static_cast<std::uint16_t>(qtKey);  // 0x41..
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return static_cast<std::uint16_t>(qtKey);  // 0x30..
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
    return static_cast<std::uint16_t>(0x70 + (qtKey - Qt::Key_F1));
  switch (qtKey) {
    case Qt::Key_Backspace:
      return 0x08;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return 0x09;
    case Qt::Key_Clear:
      return 0x0C;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 0x0D;
    case Qt::Key_Pause:
      return 0x13;
    case Qt::Key_CapsLock:
      return 0x14;
    case Qt::Key_Escape:
      return 0x1B;
    case Qt::Key_Space:
      return 0x20;
    case Qt::Key_PageUp:
      return 0x21;
    case Qt::Key_PageDown:
      return 0x22;
    case Qt::Key_End:
      return 0x23;
    case Qt::Key_Home:
      return 0x24;
    case Qt::Key_Left:
      return 0x25;
    case Qt::Key_Up:
      return 0x26;
    case Qt::Key_Right:
      return 0x27;
    case Qt::Key_Down:
      return 0x28;
    case Qt::Key_Print:
      return 0x2C;
    case Qt::Key_Insert:
      return 0x2D;
    case Qt::Key_Delete:
      return 0x2E;
    case Qt::Key_Menu:
      return 0x5D;
    case Qt::Key_Asterisk:
      return 0x6A;
    case Qt::Key_Plus:
      return 0xBB;
    case Qt::Key_Comma:
      return 0xBC;
    case Qt::Key_Minus:
      return 0xBD;
    case Qt::Key_Period:
      return 0xBE;
    case Qt::Key_Slash:
      return 0xBF;
    case Qt::Key_QuoteLeft:
      return 0xC0;
    case Qt::Key_Semicolon:
      return 0xBA;
    case Qt::Key_BracketLeft:
      return 0xDB;
    case Qt::Key_Backslash:
      return 0xDC;
    case Qt::Key_BracketRight:
      return 0xDD;
    case Qt::Key_Apostrophe:
      return 0xDE;
    case Qt::Key_NumLock:
      return 0x90;
    case Qt::Key_ScrollLock:
      return 0x91;
    default:
      return 0;
  }
}

namespace {
// The numeric keypad's own virtual-key codes: its digits and operators are keys of their own.
std::uint16_t KeypadKeyOf(int qtKey) {
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
    return static_cast<std::uint16_t>(0x60 + (qtKey - Qt::Key_0));
  switch (qtKey) {
    case Qt::Key_Asterisk:
      return 0x6A;
    case Qt::Key_Plus:
      return 0x6B;
    case Qt::Key_Minus:
      return 0x6D;
    case Qt::Key_Period:
    case Qt::Key_Comma:
      return 0x6E;
    case Qt::Key_Slash:
      return 0x6F;
    default:
      return 0;
  }
}
}  // namespace

TShortCut KeyCodeOf(int qtKey, Qt::KeyboardModifiers modifiers) {
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

}  // namespace ide::qt
