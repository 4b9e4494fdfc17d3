// TextBuffer: a file's bytes in one gap buffer, with the positions of its line feeds.
//
// Why a gap buffer: the text stays in one allocation the size of the file (plus the gap), so a
// line is a contiguous run of bytes that can be handed out as a string_view; typing goes into
// the gap at the cursor, so a character costs the same whatever the length of the line or the
// file; and a block command rewrites its lines in one pass in place (BlockRewrites). A piece
// table would spare the copy an unindent keeps for its undo step but would split lines across
// pieces, and every reader of a line would pay for it.
//
// Lines: every line but the last ends with LF or CRLF; the last has no line end (it is empty
// when the bytes end with a line end). A CR that is not followed by LF is ordinary text. The
// bytes are never interpreted otherwise, so FromBytes(b).ToBytes() == b for every b, whatever
// the encoding, NUL bytes included.
//
// The line index holds where each LF lies in the storage (not in the text), so that edits in
// the gap move no entry; moving the gap shifts the entries it passes over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ide/text/ByteBlock.h"
#include "ide/text/LineBreaks.h"

namespace zeb {

enum class LineEnd : std::uint8_t { Lf, CrLf };

// The bytes of a line end.
std::string_view LineEndBytes(LineEnd end) noexcept;

class TextBuffer {
 public:
  TextBuffer();  // one empty line
  TextBuffer(TextBuffer&&) noexcept = default;
  TextBuffer& operator=(TextBuffer&&) noexcept = default;

  static TextBuffer FromBytes(std::string_view bytes);
  // Takes over `bytes` as the text; its spare capacity becomes the gap.
  static TextBuffer Adopt(ByteBlock bytes);
  std::string ToBytes() const;
  // The whole text as one run of bytes (the gap moves to the end); valid until the next change.
  std::string_view Contiguous() const;

  std::size_t LineCount() const noexcept { return breaks_.Size() + 1; }
  std::size_t ByteSize() const noexcept { return storage_.Size() - GapLength(); }
  // The byte offset at which line `index` (from 0) starts; ByteSize() for index == LineCount().
  // Raises std::out_of_range past that.
  std::size_t LineOffset(std::size_t index) const;
  // The number of bytes of line `index` without its line end.
  std::size_t LineLength(std::size_t index) const noexcept;
  // The text of line `index` without its line end, valid until the next change (the gap moves
  // out of the line when it lies inside).
  std::string_view LineText(std::size_t index) const;
  // The line that holds byte `offset` (the last line for ByteSize()).
  std::size_t LineOf(std::size_t offset) const noexcept;
  // The byte at `offset`, which must be inside the text.
  char ByteAt(std::size_t offset) const noexcept { return storage_.Data()[Physical(offset)]; }
  // A copy of the bytes [offset, offset + count), clipped to the text.
  std::string Bytes(std::size_t offset, std::size_t count) const;
  // The same bytes in place, valid until the next change: the gap moves out of the range, over
  // the shorter of the range's two parts, when it lies inside.
  std::string_view Span(std::size_t offset, std::size_t count) const;

  // The line end that new line breaks get: the first one of the file, LF when it has none.
  LineEnd PreferredLineEnd() const noexcept { return preferred_; }

  // How many line feeds an edit took out and put in, and the line it began in.
  struct Breaks {
    std::size_t removed = 0;
    std::size_t inserted = 0;
    std::size_t firstLine = 0;
  };
  // Replaces the bytes [offset, offset + removed) with `inserted` (which must not point into
  // this buffer); the bytes taken out are put in `old`. Raises std::out_of_range for a range
  // outside the text.
  Breaks Replace(std::size_t offset, std::size_t removed, std::string_view inserted,
                 ByteBlock& old);
  // Replaces the bytes [offset, offset + length) with the bytes of `bytes`, which receives the
  // bytes taken out: an undo step's swap.
  Breaks Exchange(std::size_t offset, std::size_t length, ByteBlock& bytes);

 private:
  // The block commands' rewrites work on the storage and the line index in place.
  friend class BlockRewrites;

  std::size_t GapLength() const noexcept { return gapEnd_ - gapStart_; }
  std::size_t Physical(std::size_t offset) const noexcept {
    return offset < gapStart_ ? offset : offset + GapLength();
  }
  std::size_t Logical(std::size_t physical) const noexcept {
    return physical < gapStart_ ? physical : physical - GapLength();
  }

  // The offset of line `index`'s LF, which must exist.
  std::size_t BreakOffset(std::size_t index) const noexcept { return Logical(breaks_[index]); }
  // The checks are inline: a typed character finds the gap where it goes, with room.
  void MoveGap(std::size_t offset) const {
    if (offset != gapStart_) MoveGapTo(offset);
  }
  void MoveGapTo(std::size_t offset) const;
  void EnsureGap(std::size_t length) {
    if (GapLength() < length) GrowGap(length);
  }
  void GrowGap(std::size_t length);
  // Indexes the line feeds in the bytes [offset, offset + length), which lie before the gap, as
  // entries from `at` on, replacing `replaced` entries there.
  std::size_t IndexBreaks(std::size_t at, std::size_t replaced, std::size_t offset,
                          std::size_t length);
  void IndexAll();

  // The storage holds the text's bytes [0, gapStart_) at [0, gapStart_) and the rest at
  // [gapEnd_, storage_.Size()). Moving the gap changes no byte of the text, so the const
  // readers that need a contiguous run may move it.
  mutable ByteBlock storage_;
  mutable std::size_t gapStart_ = 0;
  mutable std::size_t gapEnd_ = 0;
  mutable LineBreaks breaks_;
  LineEnd preferred_ = LineEnd::Lf;
};

}  // namespace zeb
