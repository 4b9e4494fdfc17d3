// TextChange: what one change did to a document, for whoever mirrors its bytes (the views, a
// front end's editor widget).
//
// The bytes [offset, offset + removed) of the text before the change became the bytes
// [offset, offset + inserted) of the text after it; everything before `offset` and after the
// replaced range is unchanged. In lines (from 0): the old lines [firstLine, firstLine +
// removedLines) became the new lines [firstLine, firstLine + insertedLines), the lines that
// hold any changed byte or line end.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zeb {

struct TextChange {
  enum class Kind : std::uint8_t {
    Edit,   // a new edit, one undo step
    Undo,   // an undo step taken back
    Redo,   // an undone step made again
    Saved,  // the text was saved: the ranges are empty, only Modified() changed
  };

  Kind kind = Kind::Edit;
  std::size_t offset = 0;
  std::size_t removed = 0;
  std::size_t inserted = 0;
  std::size_t firstLine = 0;
  std::size_t removedLines = 0;
  std::size_t insertedLines = 0;
};

}  // namespace zeb
