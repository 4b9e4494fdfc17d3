// TextBuffer: a file's bytes held as lines, each with the line end it had.
//
// A buffer always holds at least one line. Every line but the last ends with LF or CRLF; the
// last has no line end (it is empty when the bytes end with a line end). A CR that is not
// followed by LF is ordinary text. So FromBytes(b).ToBytes() == b for every b, whatever the
// encoding, NUL bytes included.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zebide {

enum class LineEnd : std::uint8_t { None, Lf, CrLf };

// The bytes of a line end.
std::string_view LineEndBytes(LineEnd end) noexcept;

struct Line {
  std::string text;  // without its line end
  LineEnd end = LineEnd::None;

  friend bool operator==(const Line&, const Line&) = default;
};

class TextBuffer {
 public:
  TextBuffer();  // one empty line

  static TextBuffer FromBytes(std::string_view bytes);
  std::string ToBytes() const;

  std::size_t LineCount() const noexcept { return lines_.size(); }
  // Line `index`, counted from 0.
  const Line& LineAt(std::size_t index) const { return lines_.at(index); }
  // The number of bytes ToBytes would give.
  std::size_t ByteSize() const noexcept;
  // The byte offset at which line `index` starts; ByteSize() for index == LineCount(). Raises
  // std::out_of_range past that.
  std::size_t LineOffset(std::size_t index) const;
  // A copy of the bytes [offset, offset + count), clipped to the text.
  std::string Bytes(std::size_t offset, std::size_t count) const;

  // The line end that new line breaks get: the first one of the file, LF when it has none.
  LineEnd PreferredLineEnd() const noexcept { return preferred_; }

  // Replaces `count` lines from `first` with `lines` and returns the lines taken out. The result
  // must keep the buffer's shape (at least one line, line ends on all lines but the last);
  // otherwise std::invalid_argument is raised and nothing changes.
  std::vector<Line> Replace(std::size_t first, std::size_t count, std::vector<Line> lines);

 private:
  std::vector<Line> lines_;
  std::size_t bytes_ = 0;
  LineEnd preferred_ = LineEnd::Lf;
};

}  // namespace zebide
