// ToolkitKeys: how a front end turns its toolkit's key presses into the IDE's key codes. Each
// toolkit (Qt, GDK) gives two tables: its key values as virtual-key codes, the codes of the key
// table in KeyName.h, and its modifier flags as the modifiers a key code carries. The key code
// itself is then made by the runtime's ShortCut, like every other key code, so that a front end
// only writes tables.
//
// A key row covers a run of toolkit values that runs in step with a run of virtual-key codes
// (Qt's Key_A to Key_Z are vkA to vkZ); a row of one value has first == last.
#pragma once

#include <cstdint>
#include <span>

#include "runtime/KeyCodes.h"

namespace zeb {

struct ToolkitKey {
  std::uint32_t first;
  std::uint32_t last;
  std::uint16_t virtualKey;  // that of `first`
};

struct ToolkitModifier {
  std::uint32_t flag;
  TShiftState shift;
};

// The virtual-key code of a toolkit's key value, or 0 when the table has none; the first row
// that holds the value wins.
constexpr std::uint16_t VirtualKeyIn(std::span<const ToolkitKey> table, std::uint32_t value) {
  for (const ToolkitKey& row : table)
    if (value >= row.first && value <= row.last)
      return static_cast<std::uint16_t>(row.virtualKey + (value - row.first));
  return 0;
}

// The modifiers of a toolkit's modifier flags.
constexpr TShiftState ShiftStateIn(std::span<const ToolkitModifier> table, std::uint32_t flags) {
  TShiftState shift = TShiftState::None;
  for (const ToolkitModifier& row : table)
    if ((flags & row.flag) != 0) shift = shift | row.shift;
  return shift;
}

}  // namespace zeb
