#include "ide/core/KeySpec.h"

#include <array>
#include <charconv>
#include <string>
#include <utility>

#include "ide/core/KeyMap.h"

namespace zebide {

namespace {
std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

constexpr std::array<std::pair<const char*, std::uint16_t>, 22> kNamedKeys = {{
    {"tab", 0x09},         {"enter", 0x0D},        {"return", 0x0D},    {"esc", 0x1B},
    {"escape", 0x1B},      {"space", 0x20},        {"backspace", 0x08}, {"delete", 0x2E},
    {"del", 0x2E},         {"insert", 0x2D},       {"home", 0x24},      {"end", 0x23},
    {"pgup", 0x21},        {"pgdn", 0x22},         {"left", 0x25},      {"up", 0x26},
    {"right", 0x27},       {"down", 0x28},         {"numplus", vkAdd},  {"numminus", vkSubtract},
    {"numdot", vkDecimal}, {"numslash", vkDivide},
}};

std::optional<std::uint16_t> KeyCode(std::string_view name) {
  const std::string key = Lower(name);
  if (key.size() == 1) {
    const char c = key[0];
    if (c >= 'a' && c <= 'z') return static_cast<std::uint16_t>(c - 'a' + 'A');
    if (c >= '0' && c <= '9') return static_cast<std::uint16_t>(c);
    return std::nullopt;
  }
  for (const auto& [keyName, code] : kNamedKeys)
    if (key == keyName) return code;
  if (key.size() == 4 && key.starts_with("num") && key[3] >= '0' && key[3] <= '9')
    return static_cast<std::uint16_t>(vkNumpad0 + (key[3] - '0'));
  if (key.size() >= 2 && key.size() <= 3 && key[0] == 'f') {
    int n = 0;
    const auto [end, error] = std::from_chars(key.data() + 1, key.data() + key.size(), n);
    if (error == std::errc() && end == key.data() + key.size() && n >= 1 && n <= 12)
      return static_cast<std::uint16_t>(0x70 + n - 1);
  }
  return std::nullopt;
}
}  // namespace

std::optional<TShortCut> KeySpec::Parse(std::string_view spec) {
  if (spec.size() > 2 && spec[0] == '0' && (spec[1] == 'x' || spec[1] == 'X')) {
    unsigned value = 0;
    const char* begin = spec.data() + 2;
    const char* end = spec.data() + spec.size();
    const auto [stop, error] = std::from_chars(begin, end, value, 16);
    if (error != std::errc() || stop != end || value > 0xFFFF) return std::nullopt;
    return static_cast<TShortCut>(value);
  }
  TShortCut modifiers = 0;
  while (true) {
    const std::size_t plus = spec.find('+', 1);  // "+" alone is no key name here
    if (plus == std::string_view::npos) break;
    const std::string modifier = Lower(spec.substr(0, plus));
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
    spec.remove_prefix(plus + 1);
  }
  const auto key = KeyCode(spec);
  if (!key) return std::nullopt;
  return static_cast<TShortCut>(*key | modifiers);
}

}  // namespace zebide
