// ScreenEncoding: how the editor shows a document's bytes, and how what the user typed becomes
// bytes again.
//
// UTF-8 and Latin-1 documents are shown byte for byte: the editor holds the document's own bytes
// (as UTF-8, or as 8-bit text drawn as Latin-1), so screen positions are byte offsets. A code page
// 949 document is shown as UTF-8, converted line by line; only lines the user edits are converted
// back, so every other line keeps its bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zeb {

enum class ScreenEncoding { Utf8, Cp949, Latin1 };

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, no cut sequences.
bool IsValidUtf8(std::string_view bytes);
// Bytes that are valid code page 949 (Unified Hangul Code), hold at least one double-byte
// character, convert to Unicode and back unchanged, and hold no CR that is not followed by LF.
bool IsCp949Text(std::string_view bytes);
// UTF-8 when the bytes are valid UTF-8, code page 949 when IsCp949Text, Latin-1 otherwise.
ScreenEncoding GuessEncoding(std::string_view bytes);

// The name the status bar and the menu show.
const char* EncodingName(ScreenEncoding encoding);
// False when the editor holds the document's bytes as they are.
inline bool Converts(ScreenEncoding encoding) {
  return encoding == ScreenEncoding::Cp949;
}

// Document bytes as the editor holds them, and back. Converting back, a character the document's
// encoding cannot hold becomes "?".
std::string ToScreen(ScreenEncoding encoding, std::string_view bytes);
std::string FromScreen(ScreenEncoding encoding, std::string_view screen);

// Within one line: the editor's offset of document byte offset `byteOffset`, and back. An offset
// inside a character counts as the character's start.
std::size_t ScreenOffset(ScreenEncoding encoding, std::string_view line, std::size_t byteOffset);
std::size_t ByteOffset(ScreenEncoding encoding, std::string_view line, std::size_t screenOffset);

}  // namespace zeb
