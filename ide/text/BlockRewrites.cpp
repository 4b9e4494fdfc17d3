#include "ide/text/BlockRewrites.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include "ide/text/BlockEditing.h"
#include "ide/text/LineFeeds.h"

namespace zeb {

namespace {
void CheckLines(const TextBuffer& buffer, std::size_t first, std::size_t count) {
  if (first > buffer.LineCount() || count > buffer.LineCount() - first)
    throw std::out_of_range("line range outside the buffer");
}

// Whether the line [start, lf) before a line feed has text: a CR just before the LF belongs to
// the line end.
bool HasText(const char* bytes, std::size_t start, std::size_t lf) noexcept {
  return lf - start > 1 || (lf - start == 1 && bytes[start] != '\r');
}
}  // namespace

bool BlockRewrites::RewriteLeads(TextBuffer& buffer, std::size_t first, std::size_t count,
                                 std::int32_t columns, std::int32_t tabWidth, ByteBlock& old) {
  old.Clear();
  CheckLines(buffer, first, count);
  if (count == 0) return false;
  const std::size_t from = buffer.LineOffset(first);
  const std::size_t to = buffer.LineOffset(first + count);
  // A line grows at most by the columns added, or, unindented, by a tab turned into spaces.
  const auto growth = static_cast<std::size_t>(columns > 0 ? columns : std::max(tabWidth, 1));
  buffer.MoveGap(to);
  buffer.EnsureGap(growth * count);
  old.Assign({buffer.storage_.Data() + from, to - from});

  // The lines are rebuilt in place from the copy, and their line feeds indexed on the way.
  char* const base = buffer.storage_.Data();
  char* out = base + from;
  const char* in = old.Data();
  const char* const end = in + old.Size();
  std::size_t entry = first;
  bool changed = false;
  // Short runs are copied as fixed 32-byte moves where both sides have the room to spare.
  char* const limit = base + buffer.gapEnd_;
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
    buffer.breaks_.Set(entry++, static_cast<std::size_t>(out - 1 - base));
  });
  if (in < end) rewrite(end);  // the buffer's last line, without a line end
  buffer.gapStart_ = static_cast<std::size_t>(out - base);
  if (!changed) old.Clear();  // the same bytes were written back
  return changed;
}

BlockRewrites::LineRun BlockRewrites::Lines(TextBuffer& buffer, std::size_t first,
                                            std::size_t count) noexcept {
  const std::size_t withBreak = first + count == buffer.LineCount() ? count - 1 : count;
  return {buffer.breaks_.Contiguous(first, first + withBreak), withBreak};
}

bool BlockRewrites::PadLines(TextBuffer& buffer, std::size_t first, std::size_t count,
                             std::size_t pad) {
  CheckLines(buffer, first, count);
  if (count == 0 || pad == 0) return false;
  const std::size_t from = buffer.LineOffset(first);
  const std::size_t to = buffer.LineOffset(first + count);
  buffer.MoveGap(to);
  const LineRun run = Lines(buffer, first, count);
  std::size_t* const lf = run.breaks;
  const bool lastWithoutBreak = run.withBreak < count;

  // The growth must be known before the lines move from the last one backwards.
  const char* text = buffer.storage_.Data();
  std::size_t padded = 0;
  std::size_t start = from;
  for (std::size_t i = 0; i < run.withBreak; ++i) {
    padded += HasText(text, start, lf[i]);
    start = lf[i] + 1;
  }
  if (lastWithoutBreak) padded += to > start;
  if (padded == 0) return false;
  const std::size_t growth = padded * pad;
  buffer.EnsureGap(growth);

  // Each line moves up by the pad of the lines up to it, then gets its own pad in front. The
  // bytes written lie at or after the line's start, so the lines before it are still as they
  // were when their turn comes.
  char* const base = buffer.storage_.Data();
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
  buffer.gapStart_ += growth;
  return true;
}

void BlockRewrites::UnpadLines(TextBuffer& buffer, std::size_t first, std::size_t count,
                               std::size_t pad) {
  CheckLines(buffer, first, count);
  if (count == 0 || pad == 0) return;
  const std::size_t from = buffer.LineOffset(first);
  const std::size_t to = buffer.LineOffset(first + count);
  buffer.MoveGap(to);
  const LineRun run = Lines(buffer, first, count);
  std::size_t* const lf = run.breaks;

  // Each line moves down by the pad taken from the lines before it and from itself; the bytes
  // written lie before the line's end, so the lines after it are still as they were.
  char* const base = buffer.storage_.Data();
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
  buffer.gapStart_ -= removed;
}

bool BlockRewrites::LowerCase(TextBuffer& buffer, std::size_t offset, std::size_t length,
                              ByteBlock& old) {
  old.Clear();
  if (offset > buffer.ByteSize() || length > buffer.ByteSize() - offset)
    throw std::out_of_range("byte range outside the buffer");
  buffer.MoveGap(offset + length);
  char* bytes = buffer.storage_.Data() + offset;
  const char* upper =
      std::find_if(bytes, bytes + length, [](char c) { return c >= 'A' && c <= 'Z'; });
  if (upper == bytes + length) return false;
  old.Assign({bytes, length});
  return BlockEditing::LowerCaseAscii(bytes, length);
}

}  // namespace zeb
