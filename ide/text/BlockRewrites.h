// BlockRewrites: the block commands' changes to the lines of a TextBuffer, each made in place in
// one pass over the storage, the line index rebuilt on the way.
//
// They work on the buffer's storage and index directly (this class is its friend), so that an
// indent of a million lines costs one pass rather than a million edits. An indent moves each
// line by the spaces put before it and before the lines above, taking the line ends from the
// index, and keeps no copy of the old bytes (its undo takes the spaces out again); an unindent
// keeps one copy of them for its undo step; lower-casing keeps a copy of the bytes it covers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ide/text/ByteBlock.h"
#include "ide/text/TextBuffer.h"

namespace zeb {

class BlockRewrites {
 public:
  // Rewrites the start of each of `count` lines from `first` as BlockEditing::Lead says, in one
  // pass; the old bytes of the lines (line ends included) go to `old`. False, with nothing
  // changed and `old` empty, when no line changes. Raises std::out_of_range for lines outside
  // the text.
  static bool RewriteLeads(TextBuffer& buffer, std::size_t first, std::size_t count,
                           std::int32_t columns, std::int32_t tabWidth, ByteBlock& old);
  // Puts `pad` spaces before each of `count` lines from `first` that has text (an empty line
  // stays empty), moving the lines in place in one pass from the last: no copy of the old bytes
  // is needed, since UnpadLines gives them back. False, with nothing changed, when no line has
  // text.
  static bool PadLines(TextBuffer& buffer, std::size_t first, std::size_t count, std::size_t pad);
  // Takes the `pad` bytes PadLines put before each of those lines that has text again, in one
  // pass from the first. PadLines must have made the lines as they are now.
  static void UnpadLines(TextBuffer& buffer, std::size_t first, std::size_t count, std::size_t pad);
  // Lower-cases the ASCII letters in [offset, offset + length); the old bytes go to `old`. False,
  // with nothing changed and `old` empty, when there is no letter to change.
  static bool LowerCase(TextBuffer& buffer, std::size_t offset, std::size_t length, ByteBlock& old);

 private:
  // The line feeds of `count` lines from `first` as one run of storage positions, and how many
  // of the lines have one (all but the buffer's last line). The gap must lie after the lines.
  struct LineRun {
    std::size_t* breaks;
    std::size_t withBreak;
  };
  static LineRun Lines(TextBuffer& buffer, std::size_t first, std::size_t count) noexcept;
};

}  // namespace zeb
