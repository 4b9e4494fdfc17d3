// Qt key presses become the IDE's key codes.
#include <gtest/gtest.h>

#include <QKeyEvent>

#include "ide/core/KeyName.h"
#include "ide/qt/KeyTranslation.h"

namespace zeb {

namespace {

struct Row {
  int key;
  Qt::KeyboardModifiers modifiers;
  TShortCut code;
};

TEST(KeyTranslation, KeysBecomeVirtualKeyCodesWithModifierBits) {
  const Qt::KeyboardModifiers none = Qt::NoModifier;
  const Row rows[] = {
      {Qt::Key_Tab, none, 0x0009},
      {Qt::Key_Backtab, Qt::ShiftModifier, 0x2009},
      {Qt::Key_Backtab, none, 0x2009},  // back-tab is Shift+Tab whatever the modifiers say
      {Qt::Key_Tab, Qt::ControlModifier, 0x4009},
      {Qt::Key_U, Qt::ControlModifier | Qt::AltModifier, 0xC055},
      {Qt::Key_U, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier, 0xE055},
      {Qt::Key_L, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier, 0xE04C},
      {Qt::Key_A, none, 0x0041},
      {Qt::Key_Z, Qt::ShiftModifier, 0x205A},
      {Qt::Key_0, none, 0x0030},
      {Qt::Key_9, Qt::AltModifier, 0x8039},
      {Qt::Key_F1, none, 0x0070},
      {Qt::Key_Return, none, 0x000D},
      {Qt::Key_Enter, Qt::KeypadModifier, 0x000D},
      {Qt::Key_5, Qt::KeypadModifier, 0x0065},
      {Qt::Key_5, Qt::KeypadModifier | Qt::ControlModifier, 0x4065},
      {Qt::Key_Plus, Qt::KeypadModifier, 0x006B},
      {Qt::Key_Slash, Qt::KeypadModifier, 0x006F},
      {Qt::Key_Home, Qt::KeypadModifier, 0x0024},  // keypad navigation keys stay what they are
      {Qt::Key_Escape, none, 0x001B},
      {Qt::Key_Left, Qt::ShiftModifier, 0x2025},
      {Qt::Key_Semicolon, Qt::ControlModifier, 0x40BA},
      {Qt::Key_Equal, Qt::ControlModifier, 0x40BB},
      {Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier, 0x60BB},
      {Qt::Key_Exclam, Qt::ControlModifier | Qt::ShiftModifier, 0x6031},
      {Qt::Key_Shift, Qt::ShiftModifier, 0},  // a bare modifier is no key
      {Qt::Key_Control, Qt::ControlModifier, 0},
      {Qt::Key_X, Qt::MetaModifier, 0},  // a key with Super is the desktop's
      {Qt::Key_unknown, none, 0},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(zeb::KeyCodeOf(row.key, row.modifiers), row.code) << std::hex << row.key;
    const QKeyEvent event(QEvent::KeyPress, row.key, row.modifiers);
    EXPECT_EQ(zeb::KeyCodeOf(event), row.code) << std::hex << row.key;
  }
}

// The Qt tables point into the key table: every key Qt can press has a name there.
TEST(KeyTranslation, EveryTranslatedKeyHasAName) {
  for (const auto table : {zeb::QtKeys(), zeb::QtKeypadKeys()})
    for (const zeb::ToolkitKey& row : table)
      for (std::uint32_t value = row.first; value <= row.last; ++value) {
        const std::uint16_t key = zeb::VirtualKeyIn(table, value);
        EXPECT_FALSE(zeb::KeyName::NameOf(key).empty()) << std::hex << value << " " << key;
      }
}

}  // namespace

}  // namespace zeb
