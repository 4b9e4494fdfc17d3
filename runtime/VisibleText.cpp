#include "runtime/VisibleText.h"

namespace zeb {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void AppendHex(std::string& out, const char* prefix, unsigned value, int digits) {
  out += prefix;
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
    out += kHex[(value >> shift) & 0xF];
}

// The length of the valid UTF-8 character at the start of `text` (2 to 4 bytes; no overlong
// forms, surrogates or values past U+10FFFF) and its value; 0 when there is none.
std::size_t Utf8Character(std::string_view text, unsigned& value) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned lead = byte(0);
  std::size_t length = 0;
  unsigned low = 0x80;
  unsigned high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    value = (value << 6) | (byte(i) & 0x3F);
  }
  return length;
}

}  // namespace

std::string VisibleText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\\':
        out += "\\\\";
        continue;
      case '\n':
        out += "\\n";
        continue;
      case '\r':
        out += "\\r";
        continue;
      case '\t':
        out += "\\t";
        continue;
      case '\0':
        out += "\\0";
        continue;
      default:
        break;
    }
    if (byte < 0x20 || byte == 0x7F) {
      AppendHex(out, "\\x", byte, 2);
      continue;
    }
    if (byte < 0x80) {
      out += c;
      continue;
    }
    unsigned value = 0;
    const std::size_t length = Utf8Character(text.substr(i), value);
    if (length == 0) {
      // Not UTF-8: a byte of another encoding, kept unless a terminal would take it for a C1
      // control.
      if (byte <= 0x9F)
        AppendHex(out, "\\x", byte, 2);
      else
        out += c;
      continue;
    }
    if (value <= 0x9F)
      AppendHex(out, "\\u", value, 4);
    else
      out.append(text.substr(i, length));
    i += length - 1;
  }
  return out;
}

}  // namespace zeb
