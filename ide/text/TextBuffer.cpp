#include "ide/text/TextBuffer.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace zebide {

namespace {
std::size_t LineBytes(const Line& line) noexcept {
  return line.text.size() + LineEndBytes(line.end).size();
}
}  // namespace

std::string_view LineEndBytes(LineEnd end) noexcept {
  switch (end) {
    case LineEnd::Lf:
      return "\n";
    case LineEnd::CrLf:
      return "\r\n";
    case LineEnd::None:
      break;
  }
  return {};
}

TextBuffer::TextBuffer() : lines_(1) {}

TextBuffer TextBuffer::FromBytes(std::string_view bytes) {
  TextBuffer buffer;
  buffer.lines_.clear();
  bool sawEnd = false;
  std::size_t start = 0;
  while (true) {
    const void* found = std::memchr(bytes.data() + start, '\n', bytes.size() - start);
    if (found == nullptr) break;
    const auto lf = static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data());
    Line line;
    if (lf > start && bytes[lf - 1] == '\r') {
      line.text.assign(bytes.substr(start, lf - 1 - start));
      line.end = LineEnd::CrLf;
    } else {
      line.text.assign(bytes.substr(start, lf - start));
      line.end = LineEnd::Lf;
    }
    if (!sawEnd) {
      buffer.preferred_ = line.end;
      sawEnd = true;
    }
    buffer.lines_.push_back(std::move(line));
    start = lf + 1;
  }
  buffer.lines_.push_back(Line{std::string(bytes.substr(start)), LineEnd::None});
  buffer.bytes_ = bytes.size();
  return buffer;
}

std::string TextBuffer::ToBytes() const {
  std::string bytes;
  bytes.reserve(bytes_);
  for (const Line& line : lines_) {
    bytes += line.text;
    bytes += LineEndBytes(line.end);
  }
  return bytes;
}

std::size_t TextBuffer::ByteSize() const noexcept {
  return bytes_;
}

std::size_t TextBuffer::LineOffset(std::size_t index) const {
  if (index > lines_.size()) throw std::out_of_range("line index outside the buffer");
  if (index == lines_.size()) return bytes_;
  std::size_t offset = 0;
  for (std::size_t i = 0; i < index; ++i)
    offset += LineBytes(lines_[i]);
  return offset;
}

std::string TextBuffer::Bytes(std::size_t offset, std::size_t count) const {
  std::string bytes;
  if (offset >= bytes_) return bytes;
  count = std::min(count, bytes_ - offset);
  bytes.reserve(count);
  std::size_t at = 0;  // offset of the current line
  for (const Line& line : lines_) {
    if (bytes.size() == count) break;
    const std::string_view end = LineEndBytes(line.end);
    const std::size_t size = line.text.size() + end.size();
    if (at + size > offset) {
      const std::size_t from = offset > at ? offset - at : 0;
      for (std::size_t i = from; i < size && bytes.size() < count; ++i)
        bytes += i < line.text.size() ? line.text[i] : end[i - line.text.size()];
    }
    at += size;
  }
  return bytes;
}

std::vector<Line> TextBuffer::Replace(std::size_t first, std::size_t count,
                                      std::vector<Line> lines) {
  if (first > lines_.size() || count > lines_.size() - first)
    throw std::invalid_argument("line range outside the buffer");
  const bool atEnd = first + count == lines_.size();
  if (lines_.size() - count + lines.size() == 0)
    throw std::invalid_argument("a buffer keeps at least one line");
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool last = atEnd && i + 1 == lines.size();
    if ((lines[i].end == LineEnd::None) != last)
      throw std::invalid_argument("only the buffer's last line has no line end");
  }
  if (atEnd && lines.empty() && lines_[first - 1].end != LineEnd::None)
    throw std::invalid_argument("only the buffer's last line has no line end");

  for (std::size_t i = first; i < first + count; ++i)
    bytes_ -= LineBytes(lines_[i]);
  for (const Line& line : lines)
    bytes_ += LineBytes(line);

  std::vector<Line> removed;
  if (lines.size() == count) {
    // Same shape: swap in place instead of shifting the lines after the range.
    for (std::size_t i = 0; i < count; ++i)
      std::swap(lines_[first + i], lines[i]);
    return lines;
  }
  const auto from = lines_.begin() + static_cast<std::ptrdiff_t>(first);
  const auto to = from + static_cast<std::ptrdiff_t>(count);
  removed.assign(std::make_move_iterator(from), std::make_move_iterator(to));
  const auto at = lines_.erase(from, to);
  lines_.insert(at, std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
  return removed;
}

}  // namespace zebide
