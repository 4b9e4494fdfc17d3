#include "ide/core/KeyName.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <utility>

#include "runtime/KeyCodes.h"
#include "runtime/SysUtils.h"

namespace zeb {

namespace {
// Keys by their lower-cased names; letters, digits, Num0 to Num9 and F1 to F24 are ranges.
constexpr std::array<std::pair<std::string_view, std::uint16_t>, 22> kNamedKeys = {{
    {"tab", vkTab},        {"enter", vkReturn},    {"return", vkReturn},  {"esc", vkEscape},
    {"escape", vkEscape},  {"space", vkSpace},     {"backspace", vkBack}, {"delete", vkDelete},
    {"del", vkDelete},     {"insert", vkInsert},   {"home", vkHome},      {"end", vkEnd},
    {"pgup", vkPrior},     {"pgdn", vkNext},       {"left", vkLeft},      {"up", vkUp},
    {"right", vkRight},    {"down", vkDown},       {"numplus", vkAdd},    {"numminus", vkSubtract},
    {"numdot", vkDecimal}, {"numslash", vkDivide},
}};

// The number that `text` is exactly, in `base`, if it lies in [low, high].
std::optional<unsigned> NumberIn(std::string_view text, int base, unsigned low, unsigned high) {
  unsigned value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, base);
  if (text.empty() || error != std::errc() || stop != end || value < low || value > high)
    return std::nullopt;
  return value;
}

std::optional<std::uint16_t> KeyCode(std::string_view name) {
  const std::string key = LowerCase(name);
  if (key.size() == 1) {
    const char c = key[0];
    if (c >= 'a' && c <= 'z') return static_cast<std::uint16_t>(vkA + (c - 'a'));
    if (c >= '0' && c <= '9') return static_cast<std::uint16_t>(vk0 + (c - '0'));
    return std::nullopt;
  }
  for (const auto& [keyName, code] : kNamedKeys)
    if (key == keyName) return code;
  if (key.size() == 4 && key.starts_with("num") && key[3] >= '0' && key[3] <= '9')
    return static_cast<std::uint16_t>(vkNumpad0 + (key[3] - '0'));
  if (key.size() <= 3 && key[0] == 'f' && key[1] != '0') {
    if (const auto n = NumberIn(std::string_view(key).substr(1), 10, 1, 24))
      return static_cast<std::uint16_t>(vkF1 + *n - 1);
  }
  return std::nullopt;
}
}  // namespace

std::optional<TShortCut> KeyName::Parse(std::string_view name) {
  if (name.size() > 2 && name[0] == '0' && (name[1] == 'x' || name[1] == 'X')) {
    const auto value = NumberIn(name.substr(2), 16, 0, 0xFFFF);
    if (!value) return std::nullopt;
    return static_cast<TShortCut>(*value);
  }
  TShortCut modifiers = 0;
  while (true) {
    const std::size_t plus = name.find('+', 1);  // "+" alone is no key name here
    if (plus == std::string_view::npos) break;
    const std::string modifier = LowerCase(name.substr(0, plus));
    TShortCut bit = 0;
    if (modifier == "shift")
      bit = scShift;
    else if (modifier == "ctrl" || modifier == "control")
      bit = scCtrl;
    else if (modifier == "alt")
      bit = scAlt;
    else
      return std::nullopt;
    if (modifiers & bit) return std::nullopt;
    modifiers = static_cast<TShortCut>(modifiers | bit);
    name.remove_prefix(plus + 1);
  }
  const auto key = KeyCode(name);
  if (!key) return std::nullopt;
  return static_cast<TShortCut>(*key | modifiers);
}

std::string KeyName::Hex(TShortCut code) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(code));
  return text;
}

}  // namespace zeb
