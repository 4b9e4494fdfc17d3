#include "ide/core/DocumentText.h"

#include <algorithm>
#include <cstdint>

namespace zeb {

namespace {
std::int32_t Narrow(std::size_t value) noexcept {
  return static_cast<std::int32_t>(std::min<std::size_t>(value, INT32_MAX));
}
}  // namespace

std::size_t DocumentText::LineStart(std::size_t line) const noexcept {
  const std::size_t index = std::clamp<std::size_t>(line, 1, LineCount()) - 1;
  return index == 0 ? 0 : document_->Buffer().LineOffset(index);
}

std::size_t DocumentText::LineEnd(std::size_t line) const noexcept {
  const std::size_t index = std::clamp<std::size_t>(line, 1, LineCount()) - 1;
  return LineStart(index + 1) + document_->Buffer().LineLength(index);
}

std::size_t DocumentText::LineOf(std::size_t offset) const noexcept {
  return document_->Buffer().LineOf(std::min(offset, ByteSize())) + 1;
}

TextPos DocumentText::PlaceOf(std::size_t offset) const noexcept {
  const std::size_t line = LineOf(offset);
  return TextPos{Narrow(line), Narrow(offset - LineStart(line) + 1)};
}

void DocumentText::Replace(std::size_t offset, std::size_t removed, std::string_view inserted) {
  if (state_ != nullptr) {
    document_->Edit(offset, removed, inserted, *state_, *state_);
    return;
  }
  const TextPos from = PlaceOf(offset);
  // Where the inserted bytes end, in the text after the edit.
  TextPos to = from;
  const std::size_t lastBreak = inserted.rfind('\n');
  if (lastBreak == std::string_view::npos) {
    to.col = Narrow(static_cast<std::size_t>(from.col) + inserted.size());
  } else {
    to.line = Narrow(static_cast<std::size_t>(from.line) +
                     static_cast<std::size_t>(std::count(inserted.begin(), inserted.end(), '\n')));
    to.col = Narrow(inserted.size() - lastBreak);
  }
  document_->Edit(offset, removed, inserted, ViewState{from, from, from}, ViewState{to, to, to});
}

}  // namespace zeb
