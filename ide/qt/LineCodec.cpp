#include "ide/qt/LineCodec.h"

#include <algorithm>

#include "ide/text/TextBuffer.h"

namespace ide::qt {

namespace {
qsizetype Size(std::string_view bytes) {
  return static_cast<qsizetype>(bytes.size());
}
}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
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

LineCodec LineCodec::For(const zebide::TextBuffer& buffer) {
  for (std::size_t i = 0; i < buffer.LineCount(); ++i)
    if (!IsValidUtf8(buffer.LineAt(i).text)) return Latin1();
  return Utf8();
}

bool LineCodec::Holds(const QString& text) const {
  if (utf8_) return text.isValidUtf16();
  return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}

QString LineCodec::Decode(std::string_view bytes) const {
  return utf8_ ? QString::fromUtf8(bytes.data(), Size(bytes))
               : QString::fromLatin1(bytes.data(), Size(bytes));
}

std::string LineCodec::Encode(const QString& text) const {
  const QByteArray bytes = utf8_ ? text.toUtf8() : text.toLatin1();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

int LineCodec::CharOffset(std::string_view bytes, int byteOffset) const {
  if (byteOffset <= 0) return byteOffset;
  const auto inside = static_cast<std::size_t>(byteOffset);
  const std::size_t taken = std::min(inside, bytes.size());
  const int chars = static_cast<int>(Decode(bytes.substr(0, taken)).size());
  return chars + static_cast<int>(inside - taken);
}

int LineCodec::ByteOffset(std::string_view bytes, int charOffset) const {
  if (charOffset <= 0) return charOffset;
  if (!utf8_) return charOffset;
  std::size_t i = 0;
  int units = 0;
  while (i < bytes.size() && units < charOffset) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    units += length == 4 ? 2 : 1;  // four-byte sequences are surrogate pairs in UTF-16
    i = std::min(bytes.size(), i + length);
  }
  return static_cast<int>(i) + (charOffset - units > 0 ? charOffset - units : 0);
}

}  // namespace ide::qt
