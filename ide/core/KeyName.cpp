#include "ide/core/KeyName.h"

#include <charconv>
#include <cstdio>

#include "runtime/KeyCodes.h"

namespace zeb {

namespace {
// clang-format off
constexpr NamedKey kKeys[] = {
    {"Backspace", vkBack},     {"Tab", vkTab},           {"Clear", vkClear},
    {"Enter", vkReturn},       {"Return", vkReturn},     {"Pause", vkPause},
    {"CapsLock", vkCapital},   {"Esc", vkEscape},        {"Escape", vkEscape},
    {"Space", vkSpace},        {"PgUp", vkPrior},        {"PageUp", vkPrior},
    {"PgDn", vkNext},          {"PageDown", vkNext},     {"End", vkEnd},
    {"Home", vkHome},          {"Left", vkLeft},         {"Up", vkUp},
    {"Right", vkRight},        {"Down", vkDown},         {"PrintScreen", vkSnapshot},
    {"Insert", vkInsert},      {"Delete", vkDelete},     {"Del", vkDelete},
    {"0", vk0}, {"1", vk1}, {"2", vk2}, {"3", vk3}, {"4", vk4},
    {"5", vk5}, {"6", vk6}, {"7", vk7}, {"8", vk8}, {"9", vk9},
    {"A", vkA}, {"B", vkB}, {"C", vkC}, {"D", vkD}, {"E", vkE}, {"F", vkF}, {"G", vkG},
    {"H", vkH}, {"I", vkI}, {"J", vkJ}, {"K", vkK}, {"L", vkL}, {"M", vkM}, {"N", vkN},
    {"O", vkO}, {"P", vkP}, {"Q", vkQ}, {"R", vkR}, {"S", vkS}, {"T", vkT}, {"U", vkU},
    {"V", vkV}, {"W", vkW}, {"X", vkX}, {"Y", vkY}, {"Z", vkZ},
    {"Menu", vkApps},          {"Apps", vkApps},
    {"Num0", vkNumpad0}, {"Num1", vkNumpad1}, {"Num2", vkNumpad2}, {"Num3", vkNumpad3},
    {"Num4", vkNumpad4}, {"Num5", vkNumpad5}, {"Num6", vkNumpad6}, {"Num7", vkNumpad7},
    {"Num8", vkNumpad8}, {"Num9", vkNumpad9},
    {"NumStar", vkMultiply},   {"NumPlus", vkAdd},       {"NumMinus", vkSubtract},
    {"NumDot", vkDecimal},     {"NumSlash", vkDivide},
    {"F1", vkF1},   {"F2", vkF2},   {"F3", vkF3},   {"F4", vkF4},   {"F5", vkF5},   {"F6", vkF6},
    {"F7", vkF7},   {"F8", vkF8},   {"F9", vkF9},   {"F10", vkF10}, {"F11", vkF11}, {"F12", vkF12},
    {"F13", vkF13}, {"F14", vkF14}, {"F15", vkF15}, {"F16", vkF16}, {"F17", vkF17}, {"F18", vkF18},
    {"F19", vkF19}, {"F20", vkF20}, {"F21", vkF21}, {"F22", vkF22}, {"F23", vkF23}, {"F24", vkF24},
    {"NumLock", vkNumLock},    {"ScrollLock", vkScroll},
    // The punctuation keys of a US keyboard, by what they show without Shift.
    {"Semicolon", vkOem1},     {"Equals", vkOemPlus},    {"Comma", vkOemComma},
    {"Minus", vkOemMinus},     {"Period", vkOemPeriod},  {"Slash", vkOem2},
    {"Backquote", vkOem3},     {"LeftBracket", vkOem4},  {"Backslash", vkOem5},
    {"RightBracket", vkOem6},  {"Quote", vkOem7},
};
// clang-format on

struct NamedModifier {
  std::string_view name;
  TShiftState shift;
};
// In the order names are printed; as with keys, a modifier's first row is its printed name.
constexpr NamedModifier kModifiers[] = {
    {"Ctrl", TShiftState::Ctrl},
    {"Alt", TShiftState::Alt},
    {"Shift", TShiftState::Shift},
    {"Control", TShiftState::Ctrl},
};

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::optional<TShiftState> ModifierNamed(std::string_view name) {
  for (const NamedModifier& modifier : kModifiers)
    if (SameLetters(name, modifier.name)) return modifier.shift;
  return std::nullopt;
}
}  // namespace

std::span<const NamedKey> KeyName::Table() {
  return kKeys;
}

std::uint16_t KeyName::VirtualKeyNamed(std::string_view name) {
  for (const NamedKey& key : kKeys)
    if (SameLetters(name, key.name)) return key.virtualKey;
  return 0;
}

std::string_view KeyName::NameOf(std::uint16_t virtualKey) {
  for (const NamedKey& key : kKeys)
    if (key.virtualKey == virtualKey) return key.name;
  return {};
}

std::optional<TShortCut> KeyName::Parse(std::string_view name) {
  if (name.size() > 2 && name[0] == '0' && (name[1] == 'x' || name[1] == 'X')) {
    unsigned value = 0;
    const char* end = name.data() + name.size();
    const auto [stop, error] = std::from_chars(name.data() + 2, end, value, 16);
    if (error != std::errc() || stop != end || value > 0xFFFF) return std::nullopt;
    return static_cast<TShortCut>(value);
  }
  TShiftState shift = TShiftState::None;
  while (true) {
    const std::size_t plus = name.find('+', 1);  // "+" alone is no key name here
    if (plus == std::string_view::npos) break;
    const auto modifier = ModifierNamed(name.substr(0, plus));
    if (!modifier || Has(shift, *modifier)) return std::nullopt;
    shift = shift | *modifier;
    name.remove_prefix(plus + 1);
  }
  const std::uint16_t key = VirtualKeyNamed(name);
  if (key == 0) return std::nullopt;
  return ShortCut(key, shift);
}

std::string KeyName::Of(TShortCut code) {
  std::uint16_t key = 0;
  TShiftState shift = TShiftState::None;
  ShortCutToKey(code, key, shift);
  const std::string_view keyName = NameOf(key);
  if (keyName.empty()) return Hex(code);  // also a code with bits beyond the key's byte
  std::string name;
  TShiftState printed = TShiftState::None;
  for (const NamedModifier& modifier : kModifiers) {
    if (!Has(shift, modifier.shift) || Has(printed, modifier.shift)) continue;
    name.append(modifier.name).append("+");
    printed = printed | modifier.shift;
  }
  return name.append(keyName);
}

std::string KeyName::Hex(TShortCut code) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(code));
  return text;
}

std::string KeyName::Label(TShortCut code) {
  std::string name = Of(code);
  std::string hex = Hex(code);
  return name == hex ? hex : name + " " + hex;
}

}  // namespace zeb
