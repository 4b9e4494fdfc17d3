// Key codes: building them from a key and modifiers, and splitting them again.
#include <gtest/gtest.h>

#include <cstdint>

#include "runtime/KeyCodes.h"

namespace zeb {

namespace {

TEST(ShortCut, EncodesTheBoundKeys) {
  EXPECT_EQ(ShortCut(0x09, TShiftState::None), 0x0009);
  EXPECT_EQ(ShortCut(0x09, TShiftState::Shift), 0x2009);
  EXPECT_EQ(ShortCut(0x55, TShiftState::Ctrl | TShiftState::Alt), 0xC055);
  EXPECT_EQ(ShortCut(0x4C, TShiftState::Ctrl | TShiftState::Alt | TShiftState::Shift), 0xE04C);
}

TEST(ShortCut, AKeyWiderThanOneByteIsNoShortCut) {
  EXPECT_EQ(ShortCut(0x0109, TShiftState::Shift), 0);
  EXPECT_EQ(ShortCut(0x2009, TShiftState::None), 0);
}

TEST(ShortCutToKey, SplitsEveryCodeIntoItsKeyAndModifiers) {
  for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
    std::uint16_t key = 0xFFFF;
    TShiftState shift = TShiftState::None;
    ShortCutToKey(static_cast<TShortCut>(code), key, shift);
    ASSERT_EQ(key, code & 0x1FFFu) << code;
    ASSERT_EQ(Has(shift, TShiftState::Shift), (code & 0x2000u) != 0) << code;
    ASSERT_EQ(Has(shift, TShiftState::Ctrl), (code & 0x4000u) != 0) << code;
    ASSERT_EQ(Has(shift, TShiftState::Alt), (code & 0x8000u) != 0) << code;
    // A one-byte key comes back whole.
    if (key <= 0xFF) {
      ASSERT_EQ(ShortCut(key, shift), code) << code;
    }
  }
}

TEST(ShortCutToKey, KeepsBitsOutsideTheModifiers) {
  std::uint16_t key = 0;
  TShiftState shift = TShiftState::None;
  ShortCutToKey(0x1009, key, shift);
  EXPECT_EQ(key, 0x1009);  // not Tab
  EXPECT_EQ(shift, TShiftState::None);
}

}  // namespace

}  // namespace zeb
