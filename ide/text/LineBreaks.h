// LineBreaks: the sorted positions of a text's line feeds, with a gap where the last change was.
//
// Entries are inserted and erased where the text was edited, so keeping the free room at that
// place makes typing line breaks in a long file cost the distance from the previous edit, not
// the length of the file.
#pragma once

#include <cstddef>
#include <vector>

namespace zeb {

class LineBreaks {
 public:
  std::size_t Size() const noexcept { return data_.size() - gapLength_; }
  std::size_t operator[](std::size_t i) const noexcept {
    return data_[i < gapStart_ ? i : i + gapLength_];
  }
  void Set(std::size_t i, std::size_t value) noexcept {
    data_[i < gapStart_ ? i : i + gapLength_] = value;
  }
  // The first entry not less than `value` (Size() when there is none).
  std::size_t LowerBound(std::size_t value) const noexcept;

  // Makes room for `count` entries at `at`, their values unset.
  void Insert(std::size_t at, std::size_t count);
  void Erase(std::size_t at, std::size_t count);
  // Adds `delta` (modulo the size type, so it may take away) to the entries [from, to).
  void Shift(std::size_t from, std::size_t to, std::size_t delta) noexcept;
  // Room for `count` entries in all without growing.
  void Reserve(std::size_t count);
  // The entries [from, to) as one run, for a pass over many of them; the gap moves out of the
  // range first when it lies inside. Valid until the next Insert, Erase or Reserve.
  std::size_t* Contiguous(std::size_t from, std::size_t to) noexcept;

 private:
  void MoveGap(std::size_t to) noexcept;

  std::vector<std::size_t> data_;  // entries, with gapLength_ unused ones at gapStart_
  std::size_t gapStart_ = 0;
  std::size_t gapLength_ = 0;
};

}  // namespace zeb
