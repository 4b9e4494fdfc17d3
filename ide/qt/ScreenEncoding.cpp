#include "ide/qt/ScreenEncoding.h"

#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace zeb {

namespace {

// One converter per direction and thread; iconv keeps no state between whole characters.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error(std::string("no converter from ") + from + " to " + to);
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts one whole character; false when it has no counterpart.
  bool Convert(std::string_view in, std::string& out) {
    char buffer[16];
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
        inLeft != 0)
      return false;
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    return true;
  }

 private:
  iconv_t cd_;
};

Converter& Decoder() {
  thread_local Converter decoder("UTF-8", "CP949");
  return decoder;
}
Converter& Encoder() {
  thread_local Converter encoder("CP949", "UTF-8");
  return encoder;
}

bool IsLead(unsigned char b) {
  return b >= 0x81 && b <= 0xFE;
}
bool IsTrail(unsigned char b) {
  return (b >= 0x41 && b <= 0x5A) || (b >= 0x61 && b <= 0x7A) || (b >= 0x81 && b <= 0xFE);
}

// The length of the code page 949 character at `i`: 2 for a lead and trail byte, else 1.
std::size_t Cp949Length(std::string_view bytes, std::size_t i) {
  const auto b = static_cast<unsigned char>(bytes[i]);
  if (IsLead(b) && i + 1 < bytes.size() && IsTrail(static_cast<unsigned char>(bytes[i + 1])))
    return 2;
  return 1;
}

// The length of the UTF-8 sequence led by `b` (1 for a stray byte).
std::size_t Utf8Length(unsigned char b) {
  return b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    // Runs of ASCII, the bulk of source files, eight bytes at a time.
    while (bytes.size() - i >= 8) {
      std::uint64_t word;
      std::memcpy(&word, bytes.data() + i, sizeof word);
      if ((word & 0x8080808080808080ULL) != 0) break;
      i += 8;
    }
    if (i == bytes.size()) break;
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    if (b0 < 0x80) {
      ++i;
      continue;
    }
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      length = 3;
      if (b0 == 0xE0) low = 0xA0;   // no overlong forms
      if (b0 == 0xED) high = 0x9F;  // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      length = 4;
      if (b0 == 0xF0) low = 0x90;
      if (b0 == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
      return false;
    }
    if (bytes.size() - i < length) return false;  // a sequence cut short
    for (std::size_t k = 1; k < length; ++k) {
      const auto b = static_cast<unsigned char>(bytes[i + k]);
      if (k == 1 ? (b < low || b > high) : (b < 0x80 || b > 0xBF)) return false;
    }
    i += length;
  }
  return true;
}

bool IsCp949Text(std::string_view bytes) {
  bool doubleByte = false;
  std::string decoded, encoded;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) return false;
    if (b < 0x80) {
      ++i;
      continue;
    }
    if (Cp949Length(bytes, i) != 2) return false;
    const std::string_view character = bytes.substr(i, 2);
    decoded.clear();
    encoded.clear();
    if (!Decoder().Convert(character, decoded) || !Encoder().Convert(decoded, encoded) ||
        encoded != character)
      return false;
    doubleByte = true;
    i += 2;
  }
  return doubleByte;
}

ScreenEncoding GuessEncoding(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return ScreenEncoding::Utf8;
  if (IsCp949Text(bytes)) return ScreenEncoding::Cp949;
  return ScreenEncoding::Latin1;
}

const char* EncodingName(ScreenEncoding encoding) {
  switch (encoding) {
    case ScreenEncoding::Utf8:
      return "UTF-8";
    case ScreenEncoding::Cp949:
      return "Korean (CP949)";
    case ScreenEncoding::Latin1:
      return "Latin-1";
  }
  return "";
}

std::string ToScreen(ScreenEncoding encoding, std::string_view bytes) {
  if (!Converts(encoding)) return std::string(bytes);
  std::string screen;
  screen.reserve(bytes.size() + bytes.size() / 2);
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t length = Cp949Length(bytes, i);
    const std::string_view character = bytes.substr(i, length);
    if (static_cast<unsigned char>(character[0]) < 0x80 || !Decoder().Convert(character, screen))
      screen += length == 1 && static_cast<unsigned char>(character[0]) < 0x80 ? character[0] : '?';
    i += length;
  }
  return screen;
}

std::string FromScreen(ScreenEncoding encoding, std::string_view screen) {
  if (!Converts(encoding)) return std::string(screen);
  std::string bytes;
  bytes.reserve(screen.size());
  for (std::size_t i = 0; i < screen.size();) {
    const auto b = static_cast<unsigned char>(screen[i]);
    const std::size_t length = std::min(Utf8Length(b), screen.size() - i);
    if (b < 0x80)
      bytes += screen[i];
    else if (!Encoder().Convert(screen.substr(i, length), bytes))
      bytes += '?';
    i += length;
  }
  return bytes;
}

std::size_t ScreenOffset(ScreenEncoding encoding, std::string_view line, std::size_t byteOffset) {
  if (!Converts(encoding)) return byteOffset;
  std::size_t i = 0, screen = 0;
  while (i < line.size()) {
    const std::size_t length = Cp949Length(line, i);
    if (i + length > byteOffset) break;
    screen += length == 1 ? 1 : ToScreen(encoding, line.substr(i, length)).size();
    i += length;
  }
  return screen + (byteOffset > line.size() ? byteOffset - line.size() : 0);
}

std::size_t ByteOffset(ScreenEncoding encoding, std::string_view line, std::size_t screenOffset) {
  if (!Converts(encoding)) return screenOffset;
  std::size_t i = 0, screen = 0;
  while (i < line.size()) {
    const std::size_t length = Cp949Length(line, i);
    const std::size_t shown = length == 1 ? 1 : ToScreen(encoding, line.substr(i, length)).size();
    if (screen + shown > screenOffset) return i;
    screen += shown;
    i += length;
  }
  return i + (screenOffset > screen ? screenOffset - screen : 0);
}

}  // namespace zeb
