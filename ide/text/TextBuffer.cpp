#include "ide/text/TextBuffer.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "ide/text/BlockEditing.h"

namespace zeb {

namespace {
// The least room a buffer keeps for typing, and the share of its size it adds when it grows.
constexpr std::size_t kMinGap = 4096;
constexpr std::size_t kGrowthDivisor = 64;

// Calls `found(p)` for each LF at p in [begin, end), in order. Lines of source are short, so
// this tests 16 bytes at a time and walks the bits of the matches rather than calling memchr
// once a line.
template <class Found>
void ForEachBreak(const char* begin, const char* end, Found found) {
  const char* p = begin;
#ifdef __SSE2__
  const __m128i lf = _mm_set1_epi8('\n');
  for (; end - p >= 16; p += 16) {
    auto mask = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), lf)));
    while (mask != 0) {
      found(p + __builtin_ctz(mask));
      mask &= mask - 1;
    }
  }
#endif
  for (; p < end; ++p)
    if (*p == '\n') found(p);
}

std::size_t CountBreaks(const char* bytes, std::size_t size) noexcept {
  std::size_t count = 0;
  ForEachBreak(bytes, bytes + size, [&](const char*) { ++count; });
  return count;
}

void SwapBytes(char* a, char* b, std::size_t size) noexcept {
  char chunk[4096];
  while (size > 0) {
    const std::size_t n = std::min(size, sizeof chunk);
    std::memcpy(chunk, a, n);
    std::memcpy(a, b, n);
    std::memcpy(b, chunk, n);
    a += n;
    b += n;
    size -= n;
  }
}

void CheckRange(std::size_t offset, std::size_t length, std::size_t size) {
  if (offset > size || length > size - offset)
    throw std::out_of_range("byte range outside the buffer");
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

TextBuffer::TextBuffer() = default;

TextBuffer TextBuffer::FromBytes(std::string_view bytes) {
  ByteBlock block;
  block.Reserve(bytes.size() + kMinGap);
  block.Assign(bytes);
  return Adopt(std::move(block));
}

TextBuffer TextBuffer::Adopt(ByteBlock bytes) {
  TextBuffer buffer;
  const std::size_t size = bytes.Size();
  bytes.Resize(bytes.Capacity());
  buffer.storage_ = std::move(bytes);
  buffer.gapStart_ = size;
  buffer.gapEnd_ = buffer.storage_.Size();
  buffer.IndexAll();
  return buffer;
}

void TextBuffer::IndexAll() {
  MoveGap(ByteSize());
  const char* bytes = storage_.Data();
  const std::size_t count = CountBreaks(bytes, gapStart_);
  breaks_ = LineBreaks();
  breaks_.Reserve(count);
  breaks_.Insert(0, count);
  IndexBreaks(0, count, 0, gapStart_);
  preferred_ = LineEnd::Lf;
  if (count > 0) {
    const std::size_t lf = breaks_[0];
    if (lf > 0 && bytes[lf - 1] == '\r') preferred_ = LineEnd::CrLf;
  }
}

std::string TextBuffer::ToBytes() const {
  std::string bytes;
  bytes.reserve(ByteSize());
  bytes.append(storage_.Data(), gapStart_);
  bytes.append(storage_.Data() + gapEnd_, storage_.Size() - gapEnd_);
  return bytes;
}

std::string_view TextBuffer::Contiguous() const {
  MoveGap(ByteSize());
  return {storage_.Data(), gapStart_};
}

std::size_t TextBuffer::LineOffset(std::size_t index) const {
  if (index > LineCount()) throw std::out_of_range("line index outside the buffer");
  if (index == 0) return 0;
  if (index == LineCount()) return ByteSize();
  return BreakOffset(index - 1) + 1;
}

std::size_t TextBuffer::LineLength(std::size_t index) const noexcept {
  const std::size_t start = index == 0 ? 0 : BreakOffset(index - 1) + 1;
  if (index + 1 >= LineCount()) return ByteSize() - start;
  const std::size_t lf = BreakOffset(index);
  return (lf > start && ByteAt(lf - 1) == '\r' ? lf - 1 : lf) - start;
}

LineEnd TextBuffer::EndOf(std::size_t index) const noexcept {
  if (index + 1 >= LineCount()) return LineEnd::None;
  const std::size_t start = index == 0 ? 0 : BreakOffset(index - 1) + 1;
  const std::size_t lf = BreakOffset(index);
  return lf > start && ByteAt(lf - 1) == '\r' ? LineEnd::CrLf : LineEnd::Lf;
}

std::string_view TextBuffer::LineText(std::size_t index) const {
  return Span(LineOffset(index), LineLength(index));
}

Line TextBuffer::LineAt(std::size_t index) const {
  if (index >= LineCount()) throw std::out_of_range("line index outside the buffer");
  return Line{std::string(LineText(index)), EndOf(index)};
}

std::size_t TextBuffer::LineOf(std::size_t offset) const noexcept {
  return breaks_.LowerBound(Physical(std::min(offset, ByteSize())));
}

std::string TextBuffer::Bytes(std::size_t offset, std::size_t count) const {
  std::string bytes;
  const std::size_t size = ByteSize();
  if (offset >= size) return bytes;
  count = std::min(count, size - offset);
  bytes.reserve(count);
  if (offset < gapStart_) {
    const std::size_t n = std::min(count, gapStart_ - offset);
    bytes.append(storage_.Data() + offset, n);
    offset += n;
    count -= n;
  }
  bytes.append(storage_.Data() + Physical(offset), count);
  return bytes;
}

std::string_view TextBuffer::Span(std::size_t offset, std::size_t count) const {
  const std::size_t size = ByteSize();
  offset = std::min(offset, size);
  count = std::min(count, size - offset);
  if (offset < gapStart_ && offset + count > gapStart_)
    MoveGap(gapStart_ - offset < offset + count - gapStart_ ? offset : offset + count);
  return {storage_.Data() + Physical(offset), count};
}

void TextBuffer::MoveGapTo(std::size_t offset) const {
  const std::size_t gap = GapLength();
  char* bytes = storage_.Data();
  if (offset < gapStart_) {
    std::memmove(bytes + offset + gap, bytes + offset, gapStart_ - offset);
    breaks_.Shift(breaks_.LowerBound(offset), breaks_.LowerBound(gapStart_), gap);
  } else {
    const std::size_t n = offset - gapStart_;
    std::memmove(bytes + gapStart_, bytes + gapEnd_, n);
    breaks_.Shift(breaks_.LowerBound(gapEnd_), breaks_.LowerBound(gapEnd_ + n),
                  std::size_t{0} - gap);
  }
  gapStart_ = offset;
  gapEnd_ = offset + gap;
}

void TextBuffer::GrowGap(std::size_t length) {
  const std::size_t size = ByteSize();
  const std::size_t oldCapacity = storage_.Size();
  const std::size_t tail = oldCapacity - gapEnd_;
  const std::size_t capacity = size + length + std::max(kMinGap, size / kGrowthDivisor);
  const std::size_t moved = breaks_.LowerBound(gapEnd_);
  storage_.Resize(capacity);
  char* bytes = storage_.Data();
  std::memmove(bytes + capacity - tail, bytes + gapEnd_, tail);
  breaks_.Shift(moved, breaks_.Size(), capacity - oldCapacity);
  gapEnd_ = capacity - tail;
}

std::size_t TextBuffer::IndexBreaks(std::size_t at, std::size_t replaced, std::size_t offset,
                                    std::size_t length) {
  const char* bytes = storage_.Data();
  const std::size_t count = CountBreaks(bytes + offset, length);
  if (count == 0 && replaced == 0) return 0;  // typing within a line
  if (count > replaced)
    breaks_.Insert(at + replaced, count - replaced);
  else if (count < replaced)
    breaks_.Erase(at + count, replaced - count);
  std::size_t i = at;
  ForEachBreak(bytes + offset, bytes + offset + length,
               [&](const char* lf) { breaks_.Set(i++, static_cast<std::size_t>(lf - bytes)); });
  return count;
}

TextBuffer::Breaks TextBuffer::Replace(std::size_t offset, std::size_t removed,
                                       std::string_view inserted, ByteBlock& old) {
  CheckRange(offset, removed, ByteSize());
  MoveGap(offset + removed);
  if (removed > 0)
    old.Assign({storage_.Data() + offset, removed});
  else
    old.Clear();
  const std::size_t first = breaks_.LowerBound(offset);
  const std::size_t removedBreaks = removed == 0 ? 0 : breaks_.LowerBound(offset + removed) - first;
  gapStart_ = offset;
  EnsureGap(inserted.size());
  char* const at = storage_.Data() + offset;
  if (inserted.size() == 1) {
    // A typed character: no line feed bookkeeping unless it is one.
    at[0] = inserted[0];
    gapStart_ = offset + 1;
    if (removedBreaks == 0 && at[0] != '\n') return {0, 0, first};
  } else if (!inserted.empty()) {
    std::memcpy(at, inserted.data(), inserted.size());
  }
  gapStart_ = offset + inserted.size();
  return {removedBreaks, IndexBreaks(first, removedBreaks, offset, inserted.size()), first};
}

TextBuffer::Breaks TextBuffer::Exchange(std::size_t offset, std::size_t length, ByteBlock& bytes) {
  CheckRange(offset, length, ByteSize());
  MoveGap(offset + length);
  const std::size_t size = bytes.Size();
  const std::size_t first = breaks_.LowerBound(offset);
  const std::size_t removedBreaks = breaks_.LowerBound(offset + length) - first;
  if (size > length) EnsureGap(size - length);
  char* text = storage_.Data();
  SwapBytes(text + offset, bytes.Data(), std::min(size, length));
  if (length > size) {
    bytes.Append({text + offset + size, length - size});
  } else if (size > length) {
    std::memcpy(text + offset + length, bytes.Data() + length, size - length);
    bytes.Resize(length);
  }
  gapStart_ = offset + size;
  return {removedBreaks, IndexBreaks(first, removedBreaks, offset, size), first};
}

bool TextBuffer::RewriteLeads(std::size_t first, std::size_t count, std::int32_t columns,
                              std::int32_t tabWidth, ByteBlock& old) {
  old.Clear();
  if (first > LineCount() || count > LineCount() - first)
    throw std::out_of_range("line range outside the buffer");
  if (count == 0) return false;
  const std::size_t from = LineOffset(first);
  const std::size_t to = LineOffset(first + count);
  // A line grows at most by the columns added, or, unindented, by a tab turned into spaces.
  const auto growth = static_cast<std::size_t>(columns > 0 ? columns : std::max(tabWidth, 1));
  MoveGap(to);
  EnsureGap(growth * count);
  old.Assign({storage_.Data() + from, to - from});

  // The lines are rebuilt in place from the copy, and their line feeds indexed on the way.
  char* const base = storage_.Data();
  char* out = base + from;
  const char* in = old.Data();
  const char* const end = in + old.Size();
  std::size_t entry = first;
  bool changed = false;
  // Short runs are copied as fixed 32-byte moves where both sides have the room to spare.
  char* const limit = base + gapEnd_;
  auto copy = [&](const char* source, std::size_t n) {
    if (n <= 32 && end - source >= 32 && limit - out >= 32)
      std::memcpy(out, source, 32);
    else
      std::memcpy(out, source, n);
    out += n;
  };
  static constexpr char kSpaces[] = "                                ";  // 32 spaces
  auto rewrite = [&](const char* next) {
    const char* textEnd = next;
    if (textEnd > in && textEnd[-1] == '\n') --textEnd;
    if (textEnd > in && textEnd[-1] == '\r' && textEnd != next) --textEnd;
    BlockEditing::LeadEdit edit;
    if (columns > 0) {
      if (textEnd != in) edit.pad = static_cast<std::size_t>(columns);
    } else {
      edit = BlockEditing::Lead(std::string_view(in, static_cast<std::size_t>(textEnd - in)),
                                columns, tabWidth);
      copy(in, edit.kept);
    }
    changed = changed || edit.Changes();
    if (edit.pad <= 32 && limit - out >= 32) {
      std::memcpy(out, kSpaces, 32);
      out += edit.pad;
    } else {
      std::memset(out, ' ', edit.pad);
      out += edit.pad;
    }
    const char* rest = in + edit.oldLead;
    while (next - rest > 32) {
      copy(rest, 32);
      rest += 32;
    }
    copy(rest, static_cast<std::size_t>(next - rest));
    in = next;
  };
  ForEachBreak(in, end, [&](const char* lf) {
    rewrite(lf + 1);
    breaks_.Set(entry++, static_cast<std::size_t>(out - 1 - base));
  });
  if (in < end) rewrite(end);  // the buffer's last line, without a line end
  gapStart_ = static_cast<std::size_t>(out - base);
  if (!changed) old.Clear();  // the same bytes were written back
  return changed;
}

namespace {
// Whether the line [start, lf) before a line feed has text: a CR just before the LF belongs to
// the line end.
bool HasText(const char* bytes, std::size_t start, std::size_t lf) noexcept {
  return lf - start > 1 || (lf - start == 1 && bytes[start] != '\r');
}
}  // namespace

TextBuffer::LineRun TextBuffer::Lines(std::size_t first, std::size_t count) noexcept {
  const std::size_t withBreak = first + count == LineCount() ? count - 1 : count;
  return {breaks_.Contiguous(first, first + withBreak), withBreak};
}

bool TextBuffer::PadLines(std::size_t first, std::size_t count, std::size_t pad) {
  if (first > LineCount() || count > LineCount() - first)
    throw std::out_of_range("line range outside the buffer");
  if (count == 0 || pad == 0) return false;
  const std::size_t from = LineOffset(first);
  const std::size_t to = LineOffset(first + count);
  MoveGap(to);
  const LineRun run = Lines(first, count);
  std::size_t* const lf = run.breaks;
  const bool lastWithoutBreak = run.withBreak < count;

  // The growth must be known before the lines move from the last one backwards.
  const char* text = storage_.Data();
  std::size_t padded = 0;
  std::size_t start = from;
  for (std::size_t i = 0; i < run.withBreak; ++i) {
    padded += HasText(text, start, lf[i]);
    start = lf[i] + 1;
  }
  if (lastWithoutBreak) padded += to > start;
  if (padded == 0) return false;
  const std::size_t growth = padded * pad;
  EnsureGap(growth);

  // Each line moves up by the pad of the lines up to it, then gets its own pad in front. The
  // bytes written lie at or after the line's start, so the lines before it are still as they
  // were when their turn comes.
  char* const base = storage_.Data();
  std::size_t shift = growth;
  auto move = [&](std::size_t lineStart, std::size_t lineEnd, bool hasText) {
    std::memmove(base + lineStart + shift, base + lineStart, lineEnd - lineStart);
    if (hasText) {
      shift -= pad;
      std::memset(base + lineStart + shift, ' ', pad);
    }
  };
  if (lastWithoutBreak) {
    const std::size_t lineStart = run.withBreak == 0 ? from : lf[run.withBreak - 1] + 1;
    move(lineStart, to, to > lineStart);
  }
  for (std::size_t i = run.withBreak; i-- > 0;) {
    const std::size_t lineStart = i == 0 ? from : lf[i - 1] + 1;
    const bool hasText = HasText(base, lineStart, lf[i]);
    const std::size_t end = lf[i] + 1;
    lf[i] += shift;
    move(lineStart, end, hasText);
  }
  gapStart_ += growth;
  return true;
}

void TextBuffer::UnpadLines(std::size_t first, std::size_t count, std::size_t pad) {
  if (first > LineCount() || count > LineCount() - first)
    throw std::out_of_range("line range outside the buffer");
  if (count == 0 || pad == 0) return;
  const std::size_t from = LineOffset(first);
  const std::size_t to = LineOffset(first + count);
  MoveGap(to);
  const LineRun run = Lines(first, count);
  std::size_t* const lf = run.breaks;

  // Each line moves down by the pad taken from the lines before it and from itself; the bytes
  // written lie before the line's end, so the lines after it are still as they were.
  char* const base = storage_.Data();
  std::size_t removed = 0;
  std::size_t lineStart = from;
  auto move = [&](std::size_t lineEnd, bool hasText) {
    const std::size_t drop = hasText ? pad : 0;
    std::memmove(base + lineStart - removed, base + lineStart + drop, lineEnd - lineStart - drop);
    removed += drop;
    lineStart = lineEnd;
  };
  for (std::size_t i = 0; i < run.withBreak; ++i) {
    const bool hasText = HasText(base, lineStart, lf[i]);
    const std::size_t end = lf[i] + 1;
    move(end, hasText);
    lf[i] = end - 1 - removed;
  }
  if (run.withBreak < count) move(to, to > lineStart);
  gapStart_ -= removed;
}

bool TextBuffer::LowerCase(std::size_t offset, std::size_t length, ByteBlock& old) {
  old.Clear();
  CheckRange(offset, length, ByteSize());
  MoveGap(offset + length);
  char* bytes = storage_.Data() + offset;
  const char* upper =
      std::find_if(bytes, bytes + length, [](char c) { return c >= 'A' && c <= 'Z'; });
  if (upper == bytes + length) return false;
  old.Assign({bytes, length});
  return BlockEditing::LowerCaseAscii(bytes, length);
}

void TextBuffer::CheckShape(std::size_t first, std::size_t count,
                            const std::vector<Line>& lines) const {
  if (first > LineCount() || count > LineCount() - first)
    throw std::invalid_argument("line range outside the buffer");
  const bool atEnd = first + count == LineCount();
  if (LineCount() - count + lines.size() == 0)
    throw std::invalid_argument("a buffer keeps at least one line");
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool last = atEnd && i + 1 == lines.size();
    if ((lines[i].end == LineEnd::None) != last)
      throw std::invalid_argument("only the buffer's last line has no line end");
  }
  if (atEnd && lines.empty() && EndOf(first - 1) != LineEnd::None)
    throw std::invalid_argument("only the buffer's last line has no line end");
}

std::string TextBuffer::Join(const std::vector<Line>& lines) {
  std::string bytes;
  for (const Line& line : lines) {
    bytes += line.text;
    bytes += LineEndBytes(line.end);
  }
  return bytes;
}

std::vector<Line> TextBuffer::Replace(std::size_t first, std::size_t count,
                                      const std::vector<Line>& lines) {
  CheckShape(first, count, lines);
  const std::string bytes = Join(lines);
  const std::size_t from = LineOffset(first);
  ByteBlock old;
  Replace(from, LineOffset(first + count) - from, bytes, old);

  std::vector<Line> removed;
  std::string_view rest = old.View();
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t lf = rest.find('\n');
    Line line;
    if (lf == std::string_view::npos) {
      line.text.assign(rest);
      rest = {};
    } else {
      const bool crlf = lf > 0 && rest[lf - 1] == '\r';
      line.text.assign(rest.substr(0, crlf ? lf - 1 : lf));
      line.end = crlf ? LineEnd::CrLf : LineEnd::Lf;
      rest.remove_prefix(lf + 1);
    }
    removed.push_back(std::move(line));
  }
  return removed;
}

}  // namespace zeb
