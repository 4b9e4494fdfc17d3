#include "runtime/KeyCodes.h"

namespace zeb {

TShortCut ShortCut(std::uint16_t key, TShiftState shift) {
  if ((key & 0xFF00u) != 0) return 0;
  unsigned code = key;
  if (Has(shift, TShiftState::Shift)) code |= scShift;
  if (Has(shift, TShiftState::Ctrl)) code |= scCtrl;
  if (Has(shift, TShiftState::Alt)) code |= scAlt;
  return static_cast<TShortCut>(code);
}

void ShortCutToKey(TShortCut shortCut, std::uint16_t& key, TShiftState& shift) {
  key = static_cast<std::uint16_t>(shortCut & ~(scShift | scCtrl | scAlt));
  shift = TShiftState::None;
  if ((shortCut & scShift) != 0) shift = shift | TShiftState::Shift;
  if ((shortCut & scCtrl) != 0) shift = shift | TShiftState::Ctrl;
  if ((shortCut & scAlt) != 0) shift = shift | TShiftState::Alt;
}

}  // namespace zeb
