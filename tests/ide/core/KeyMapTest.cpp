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

TEST(KeyName, NamesAndCodes) {
  const struct {
    const char* name;
    int code;
  } cases[] = {
      {"Tab", 0x0009},
      {"Shift+Tab", 0x2009},
      {"Ctrl+Tab", 0x4009},
      {"Ctrl+Alt+U", 0xC055},
      {"ctrl+alt+shift+l", 0xE04C},
      {"Alt+Ctrl+u", 0xC055},
      {"a", 0x0041},
      {"7", 0x0037},
      {"0x2009", 0x2009},
      {"F12", 0x007B},
      {"f24", 0x0087},
      {"Num0", 0x0060},
      {"Shift+NumPlus", 0x206B},
  };
  for (const auto& c : cases)
    EXPECT_EQ(KeyName::Parse(c.name), std::optional<TShortCut>(static_cast<TShortCut>(c.code)))
        << c.name;
  for (const char* bad : {"", "Hyper+A", "Shift+Shift+A", "Ctrl+", "F25", "F0", "F01", "0x10000",
                          "0xZZ", "ab", "Ctrl+Alt"})
    EXPECT_EQ(KeyName::Parse(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace zeb
