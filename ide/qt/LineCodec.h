// LineCodec: how the window shows a document's bytes as text and turns what the user typed back
// into bytes. A document that is valid UTF-8 is shown as UTF-8; any other document byte for byte
// as Latin-1, so that its lines reach the screen and come back unchanged whatever code page they
// are in.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace zebide {
class TextBuffer;
}

namespace ide::qt {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, no cut sequences.
bool IsValidUtf8(std::string_view bytes);

class LineCodec {
 public:
  static LineCodec For(const zebide::TextBuffer& buffer);
  static LineCodec Utf8() { return LineCodec(true); }
  static LineCodec Latin1() { return LineCodec(false); }

  bool IsUtf8() const noexcept { return utf8_; }
  // True when Encode keeps every character of `text`.
  bool Holds(const QString& text) const;
  QString Decode(std::string_view bytes) const;
  // Characters Latin-1 cannot hold become "?".
  std::string Encode(const QString& text) const;

  // The character offset of byte offset `byteOffset` in `bytes`, and back. Offsets beyond the
  // line's end are kept beyond it by the same amount.
  int CharOffset(std::string_view bytes, int byteOffset) const;
  int ByteOffset(std::string_view bytes, int charOffset) const;

 private:
  explicit LineCodec(bool utf8) : utf8_(utf8) {}
  bool utf8_;
};

}  // namespace ide::qt
