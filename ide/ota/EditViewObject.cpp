#include "ide/ota/EditViewObject.h"

#include <algorithm>
#include <cstdint>

#include "ide/ota/ObjectPools.h"

namespace zeb {

ComPtr<IOTAEditBlock> EditViewObject::GetBlock() {
  return pools_->BlockFor(*view_);
}

void EditViewObject::Paint() {
  editor_->Paint(*view_);
}

TOTAEditPos EditViewObject::GetCursorPos() {
  const TextPos cursor = view_->Cursor();
  TOTAEditPos pos;
  pos.Col = static_cast<std::int16_t>(std::min<std::int32_t>(cursor.col, INT16_MAX));
  pos.Line = cursor.line;
  return pos;
}

ComPtr<IOTAEditPosition> EditViewObject::GetPosition() {
  return pools_->PositionFor(*view_);
}

namespace {
TZebTextPos Pos(TextPos pos) noexcept {
  return TZebTextPos{pos.line, pos.col};
}
TextPos Place(TZebTextPos pos) noexcept {
  return TextPos{pos.Line, pos.Col};
}
}  // namespace

TZebTextPos EditViewObject::GetCursor() {
  return Pos(view_->Cursor());
}

bool EditViewObject::SetCursor(TZebTextPos pos) {
  return view_->SetCursor(Place(pos));
}

TZebTextPos EditViewObject::GetBlockStart() {
  return Pos(view_->HasBlock() ? view_->BlockStart() : view_->Cursor());
}

TZebTextPos EditViewObject::GetBlockEnd() {
  return Pos(view_->HasBlock() ? view_->BlockEnd() : view_->Cursor());
}

bool EditViewObject::SetBlock(TZebTextPos from, TZebTextPos to) {
  return view_->Select(Place(from), Place(to));
}

std::string EditViewObject::GetBlockText() {
  const auto text = view_->ViewText();
  if (!text || !view_->HasBlock()) return {};
  const std::int64_t from = OffsetIn(*text, Pos(view_->BlockStart()));
  const std::int64_t to = OffsetIn(*text, Pos(view_->BlockEnd()));
  if (from < 0 || to < from) return {};
  return text->Bytes(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
}

ComPtr<IZebEditBuffer> EditViewObject::GetBuffer() {
  return ComPtr<IZebEditBuffer>::Borrow(this);
}

}  // namespace zeb
