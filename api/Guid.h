// Interface identifiers: 128-bit GUIDs, written and compared as the IDE writes them.
#pragma once

#include <cstdint>
#include <string>

namespace zeb {

struct TGUID {
  std::uint32_t D1 = 0;
  std::uint16_t D2 = 0;
  std::uint16_t D3 = 0;
  std::uint8_t D4[8] = {};

  friend constexpr bool operator==(const TGUID&, const TGUID&) = default;
};

namespace guid_detail {
constexpr unsigned HexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  throw "not a hexadecimal digit in a GUID";  // only reachable in constant evaluation
}
constexpr std::uint64_t Hex(const char* s, int digits) {
  std::uint64_t v = 0;
  for (int i = 0; i < digits; ++i)
    v = (v << 4) | HexDigit(s[i]);
  return v;
}
}  // namespace guid_detail

// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" at compile time.
consteval TGUID MakeGUID(const char (&s)[39]) {
  using guid_detail::Hex;
  if (s[0] != '{' || s[9] != '-' || s[14] != '-' || s[19] != '-' || s[24] != '-' || s[37] != '}')
    throw "malformed GUID";
  TGUID g;
  g.D1 = static_cast<std::uint32_t>(Hex(s + 1, 8));
  g.D2 = static_cast<std::uint16_t>(Hex(s + 10, 4));
  g.D3 = static_cast<std::uint16_t>(Hex(s + 15, 4));
  g.D4[0] = static_cast<std::uint8_t>(Hex(s + 20, 2));
  g.D4[1] = static_cast<std::uint8_t>(Hex(s + 22, 2));
  for (int i = 0; i < 6; ++i)
    g.D4[2 + i] = static_cast<std::uint8_t>(Hex(s + 25 + 2 * i, 2));
  return g;
}

// "{55A5E848-27FB-4880-8E7C-7F05A9802482}", upper case, as the IDE shows identifiers.
inline std::string GUIDToString(const TGUID& g) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string s = "{";
  auto put = [&](std::uint64_t v, int digits) {
    for (int i = digits - 1; i >= 0; --i)
      s += kDigits[(v >> (4 * i)) & 0xF];
  };
  put(g.D1, 8);
  s += '-';
  put(g.D2, 4);
  s += '-';
  put(g.D3, 4);
  s += '-';
  put(g.D4[0], 2);
  put(g.D4[1], 2);
  s += '-';
  for (int i = 2; i < 8; ++i)
    put(g.D4[i], 2);
  s += '}';
  return s;
}

}  // namespace zeb
