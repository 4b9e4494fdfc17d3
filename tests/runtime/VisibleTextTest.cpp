// Text from outside printed on one line: known answers for each kind of byte.
#include "runtime/VisibleText.h"

#include <gtest/gtest.h>

#include <string>

namespace zeb {

namespace {

TEST(VisibleText, EscapesC0AndC1ControlsOnly) {
  const struct {
    std::string in;
    std::string out;
  } rows[] = {
      {"plain", "plain"},
      {"a\nb\tc\rd", "a\\nb\\tc\\rd"},
      {std::string("nul\0x", 5), "nul\\0x"},
      {"\x1b[31m\x7f\x01", "\\x1B[31m\\x7F\\x01"},
      {"\x1f \x7e", "\\x1F ~"},  // the ends of the C0 range and of the printable one
      {"back\\slash", "back\\\\slash"},
      {"\xea\xb0\x80 \xf0\x9f\x98\x80", "\xea\xb0\x80 \xf0\x9f\x98\x80"},  // characters stay
      // C1 controls, which a terminal acts on (U+009B is CSI), in UTF-8 and as raw bytes.
      {"\xc2\x9b"
       "31m\xc2\x80\xc2\x9f\xc2\xa0",
       "\\u009B31m\\u0080\\u009F\xc2\xa0"},
      {"\x9b"
       "31m\x85\x80",
       "\\x9B31m\\x85\\x80"},
      // Not UTF-8 (a lead byte without its follower, an overlong form): bytes from 0xA0 stay.
      {"\xc2"
       "A\xe9t\xc0\x9b",
       "\xc2"
       "A\xe9t\xc0\\x9B"},
      {"\xed\xa0\x80", "\xed\xa0\\x80"},  // a surrogate is not a character
      {"\xb1\xbc", "\xb1\xbc"},           // code page 949 stays as it is
  };
  for (const auto& row : rows)
    EXPECT_EQ(VisibleText(row.in), row.out) << row.out;
}

}  // namespace

}  // namespace zeb
