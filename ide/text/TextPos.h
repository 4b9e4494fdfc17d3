// Positions in a text: 1-based line and column. A column counts bytes: column c stands before
// the line's byte c - 1, and column (length + 1) is the end of the line.
#pragma once

#include <compare>
#include <cstdint>

namespace zeb {

struct TextPos {
  std::int32_t line = 1;
  std::int32_t col = 1;

  friend constexpr auto operator<=>(const TextPos&, const TextPos&) = default;
};

// What a view shows of its place in the text: the cursor and the stream block [start, end).
// The block is empty, and so not valid, when start == end.
struct ViewState {
  TextPos cursor;
  TextPos blockStart;
  TextPos blockEnd;

  bool HasBlock() const noexcept { return blockStart != blockEnd; }
  friend constexpr bool operator==(const ViewState&, const ViewState&) = default;
};

}  // namespace zeb
