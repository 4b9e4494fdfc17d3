// GDK key presses become the IDE's key codes, the codes the key table names.
#include <gtest/gtest.h>

#include <gdk/gdk.h>

#include "ide/core/KeyName.h"
#include "ide/geany/GdkKeys.h"

namespace zeb {

namespace {

TEST(GdkKeys, KeysBecomeTheCodesOfTheirNames) {
  struct Row {
    guint keyval;
    guint state;
    const char* name;  // "" for no key
  };
  const guint ctrlAlt = GDK_CONTROL_MASK | GDK_MOD1_MASK;
  const Row rows[] = {
      {GDK_KEY_Tab, 0, "Tab"},
      {GDK_KEY_ISO_Left_Tab, GDK_SHIFT_MASK, "Shift+Tab"},
      {GDK_KEY_ISO_Left_Tab, 0, "Shift+Tab"},  // back-tab is Shift+Tab whatever the state says
      {GDK_KEY_Tab, GDK_CONTROL_MASK, "Ctrl+Tab"},
      {GDK_KEY_Tab, GDK_MOD2_MASK, "Tab"},  // Num Lock is no modifier of a key code
      {GDK_KEY_u, ctrlAlt, "Ctrl+Alt+U"},
      {GDK_KEY_U, ctrlAlt | GDK_SHIFT_MASK, "Ctrl+Alt+Shift+U"},
      {GDK_KEY_t, ctrlAlt, "Ctrl+Alt+T"},
      {GDK_KEY_a, 0, "A"},
      {GDK_KEY_Z, GDK_SHIFT_MASK, "Shift+Z"},
      {GDK_KEY_0, 0, "0"},
      {GDK_KEY_9, GDK_MOD1_MASK, "Alt+9"},
      {GDK_KEY_F1, 0, "F1"},
      {GDK_KEY_F24, GDK_SHIFT_MASK, "Shift+F24"},
      {GDK_KEY_Return, 0, "Enter"},
      {GDK_KEY_KP_Enter, 0, "Enter"},
      {GDK_KEY_KP_0, 0, "Num0"},
      {GDK_KEY_KP_5, 0, "Num5"},
      {GDK_KEY_KP_9, 0, "Num9"},
      {GDK_KEY_KP_5, GDK_CONTROL_MASK, "Ctrl+Num5"},
      {GDK_KEY_KP_Home, 0, "Home"},  // the keypad's navigation keys are the main keyboard's
      {GDK_KEY_Escape, 0, "Esc"},
      {GDK_KEY_Left, GDK_SHIFT_MASK, "Shift+Left"},
      {GDK_KEY_Down, 0, "Down"},
      {GDK_KEY_semicolon, GDK_CONTROL_MASK, "Ctrl+Semicolon"},
      {GDK_KEY_exclam, GDK_CONTROL_MASK | GDK_SHIFT_MASK, "Ctrl+Shift+1"},
      {GDK_KEY_Shift_L, GDK_SHIFT_MASK, ""},  // a bare modifier is no key
      {GDK_KEY_Control_L, GDK_CONTROL_MASK, ""},
      {GDK_KEY_Hangul, 0, ""},
      {GDK_KEY_x, GDK_MOD4_MASK, ""},  // a key with Super is the desktop's
      {GDK_KEY_Tab, GDK_SUPER_MASK, ""},
  };
  for (const Row& row : rows) {
    const TShortCut expected = row.name[0] == '\0' ? 0 : KeyName::Parse(row.name).value_or(0xFFFF);
    EXPECT_EQ(KeyCodeOf(row.keyval, row.state), expected)
        << std::hex << row.keyval << " " << row.name;
  }
}

// The GDK table points into the key table: every key GDK can press has a name there.
TEST(GdkKeys, EveryTranslatedKeyHasAName) {
  for (const ToolkitKey& row : GdkKeys())
    for (std::uint32_t value = row.first; value <= row.last; ++value) {
      const std::uint16_t key = VirtualKeyIn(GdkKeys(), value);
      EXPECT_FALSE(KeyName::NameOf(key).empty()) << std::hex << value << " " << key;
    }
}

}  // namespace

}  // namespace zeb
