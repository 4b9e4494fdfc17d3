#include "ide/core/KeyMap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ide/core/KeyName.h"

namespace zeb {
namespace {

void Nothing(void*, IOTAKeyContext*, TShortCut, TKeyBindingResult&) {}

// Handlers are told apart by their context pointer, which points into this table of names.
const char* const kNames[] = {"A", "B", "C", "D", "E"};

KeyHandler Handler(std::vector<TShortCut> keys, std::int32_t flags, int name) {
  KeyHandler h;
  h.keys = std::move(keys);
  h.proc.Code = &Nothing;
  h.context = const_cast<char*>(kNames[name]);
  h.flags = flags;
  h.bindingIndex = name;
  return h;
}

std::string Names(const KeyMap::Route& route) {
  if (route.pending) return "pending";
  std::string names;
  for (const auto& h : route.handlers)
    names += static_cast<const char*>(h->context);
  return names;
}

TShortCut Key(const char* name) {
  const auto code = KeyName::Parse(name);
  EXPECT_TRUE(code.has_value()) << name;
  return code.value_or(0);
}

TEST(KeyMap, RoutesByTheFlags) {
  constexpr std::int32_t all = kfImplicitShift | kfImplicitModifier | kfImplicitKeypad;
  KeyMap keys;
  ASSERT_TRUE(keys.Add(Handler({Key("Tab")}, all, 0)));
  ASSERT_TRUE(keys.Add(Handler({Key("Shift+Tab")}, all, 1)));
  ASSERT_TRUE(keys.Add(Handler({Key("Ctrl+Alt+U")}, all, 2)));
  ASSERT_TRUE(keys.Add(Handler({Key("Ctrl+5")}, 0, 3)));
  ASSERT_TRUE(keys.Add(Handler({Key("Ctrl+5")}, kfImplicitKeypad, 4)));

  const struct {
    const char* key;
    const char* handlers;
  } cases[] = {
      {"Tab", "A"},        {"Shift+Tab", "B"},  // its own binding wins over Tab's implicit shift
      {"Ctrl+Alt+U", "C"}, {"Ctrl+Alt+Shift+U", "C"},  // implicit shift
      {"Ctrl+U", ""},      {"Alt+Shift+U", ""},
      {"Ctrl+5", "DE"},    // exact matches, in binding order
      {"Ctrl+Num5", "E"},  // only the handler with kfImplicitKeypad
      {"Num5", ""},        {"0x1009", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Names(keys.Press(Key(c.key))), c.handlers) << c.key;
}

// Known answers, as the codes the keys send: each keypad key and the main keyboard's key it
// stands for, at both ends of the digit range; the keypad's * has no twin.
TEST(KeyMap, KeypadKeysStandForTheMainKeyboards) {
  const struct {
    int keypad;
    int main;
  } cases[] = {
      {0x0060, 0x0030}, {0x0065, 0x0035}, {0x0069, 0x0039}, {0x006B, 0x00BB}, {0x006D, 0x00BD},
      {0x006E, 0x00BE}, {0x006F, 0x00BF}, {0x006A, 0x006A}, {0xE069, 0xE039}, {0x0039, 0x0039},
  };
  for (const auto& c : cases)
    EXPECT_EQ(KeyMap::FromKeypad(static_cast<TShortCut>(c.keypad)), c.main) << c.keypad;
}

TEST(KeyMap, ImplicitShiftNeedsTheFlag) {
  KeyMap keys;
  keys.Add(Handler({Key("Ctrl+Alt+U")}, kfImplicitModifier | kfImplicitKeypad, 0));
  EXPECT_EQ(Names(keys.Press(Key("Ctrl+Alt+Shift+U"))), "");
  EXPECT_EQ(Names(keys.Press(Key("Ctrl+Alt+U"))), "A");
}

TEST(KeyMap, SequencesWaitForTheirLastKey) {
  KeyMap keys;
  keys.Add(Handler({Key("Ctrl+K"), Key("Ctrl+B")}, kfImplicitModifier, 0));
  keys.Add(Handler({Key("Ctrl+Q"), Key("Ctrl+F")}, 0, 1));
  keys.Add(Handler({Key("F")}, 0, 2));

  EXPECT_EQ(Names(keys.Press(Key("Ctrl+K"))), "pending");
  EXPECT_EQ(Names(keys.Press(Key("Ctrl+B"))), "A");
  EXPECT_EQ(Names(keys.Press(Key("Ctrl+K"))), "pending");
  EXPECT_EQ(Names(keys.Press(Key("B"))), "A");  // implicit modifier
  EXPECT_EQ(Names(keys.Press(Key("Ctrl+Q"))), "pending");
  EXPECT_EQ(Names(keys.Press(Key("F"))), "C");  // no implicit modifier: F counts on its own
  EXPECT_FALSE(keys.Pending());

  keys.RemoveBinding(0);
  EXPECT_EQ(Names(keys.Press(Key("Ctrl+K"))), "");
  EXPECT_FALSE(keys.Add(Handler({}, 0, 3)));
}

// Known answers: names as scripts write them, codes as the key procedures receive them.
TEST(KeyName, NamesAndCodes) {
  const struct {
    const char* name;
    int code;
    const char* printed;  // null: printed as `name`
  } cases[] = {
      {"Tab", 0x0009, nullptr},
      {"Shift+Tab", 0x2009, nullptr},
      {"Ctrl+Tab", 0x4009, nullptr},
      {"Ctrl+Alt+U", 0xC055, nullptr},
      {"ctrl+alt+shift+l", 0xE04C, "Ctrl+Alt+Shift+L"},
      {"Shift+Control+Alt+L", 0xE04C, "Ctrl+Alt+Shift+L"},
      {"Alt+Ctrl+u", 0xC055, "Ctrl+Alt+U"},
      {"a", 0x0041, "A"},
      {"7", 0x0037, nullptr},
      {"0x2009", 0x2009, "Shift+Tab"},
      {"0x1009", 0x1009, nullptr},  // a bit outside the modifiers: no name
      {"0x00FF", 0x00FF, nullptr},  // no such key
      {"F12", 0x007B, nullptr},
      {"f24", 0x0087, "F24"},
      {"Num0", 0x0060, nullptr},
      {"Shift+NumPlus", 0x206B, nullptr},
      {"Return", 0x000D, "Enter"},
      {"Escape", 0x001B, "Esc"},
      {"PgDn", 0x0022, nullptr},
      {"Menu", 0x005D, nullptr},
      {"Ctrl+Semicolon", 0x40BA, nullptr},
      {"Ctrl+Shift+Equals", 0x60BB, nullptr},
      {"Alt+Quote", 0x80DE, nullptr},
      {"NumStar", 0x006A, nullptr},
      {"ScrollLock", 0x0091, nullptr},
  };
  for (const auto& c : cases) {
    const auto code = static_cast<TShortCut>(c.code);
    EXPECT_EQ(KeyName::Parse(c.name), std::optional<TShortCut>(code)) << c.name;
    EXPECT_EQ(KeyName::Of(code), c.printed ? c.printed : c.name) << c.name;
  }
  EXPECT_EQ(KeyName::Label(0x0009), "Tab 0x0009");
  EXPECT_EQ(KeyName::Label(0x1009), "0x1009");
  for (const char* bad : {"", "Hyper+A", "Shift+Shift+A", "Ctrl+Control+A", "Ctrl+", "F25", "F0",
                          "F01", "0x10000", "0xZZ", "ab", "Ctrl+Alt", "Num10", "Semi"})
    EXPECT_EQ(KeyName::Parse(bad), std::nullopt) << bad;
}

// Whatever code is printed by a name reads back as that code.
TEST(KeyName, EveryPrintedNameReadsBack) {
  for (unsigned code = 0; code <= 0xFFFF; ++code) {
    const std::string name = KeyName::Of(static_cast<TShortCut>(code));
    ASSERT_EQ(KeyName::Parse(name), std::optional<TShortCut>(static_cast<TShortCut>(code))) << name;
  }
}

}  // namespace
}  // namespace zeb
