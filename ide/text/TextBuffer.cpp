#include "ide/text/TextBuffer.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "ide/text/LineFeeds.h"

namespace zeb {

namespace {
// The least room a buffer keeps for typing, and the share of its size it adds when it grows.
constexpr std::size_t kMinGap = 4096;
constexpr std::size_t kGrowthDivisor = 64;

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
  return end == LineEnd::CrLf ? "\r\n" : "\n";
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

std::string_view TextBuffer::LineText(std::size_t index) const {
  return Span(LineOffset(index), LineLength(index));
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

}  // namespace zeb
