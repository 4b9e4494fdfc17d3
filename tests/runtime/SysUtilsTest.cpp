// The runtime's string helpers.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/SysUtils.h"

namespace zeb {

namespace {

TEST(LowerCase, ChangesOnlyAsciiLetters) {
  EXPECT_EQ(LowerCase("UNIT1.PAS"), "unit1.pas");
  EXPECT_EQ(LowerCase("AZaz@[`{09"), "azaz@[`{09");
  // Bytes above 0x7F (UTF-8 Hangul, Latin-1 capitals) are kept as they are.
  EXPECT_EQ(LowerCase("\xEA\xB5\xB4\xEB\xA6\xBC\xC0\xC9"), "\xEA\xB5\xB4\xEB\xA6\xBC\xC0\xC9");
  const std::string withNul("A\0B", 3);
  EXPECT_EQ(LowerCase(withNul), std::string("a\0b", 3));
  EXPECT_EQ(LowerCase(""), "");

  // Longer strings are done many bytes at a time: every byte value, at every place in a block,
  // in both overloads (an rvalue is lowered in place).
  std::string all;
  std::string lowered;
  for (int c = 0; c < 256; ++c) {
    all += static_cast<char>(c);
    lowered += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  for (const std::size_t start : {0u, 50u, 58u, 64u, 75u, 80u, 90u})
    for (const std::size_t n : {15u, 16u, 17u, 31u, 33u, 166u}) {
      const std::string expected = lowered.substr(start, n);
      EXPECT_EQ(LowerCase(std::string_view(all).substr(start, n)), expected) << start << " " << n;
      EXPECT_EQ(LowerCase(all.substr(start, n)), expected) << start << " " << n;
    }
}

struct ExtRow {
  const char* name;
  const char* ext;
};

TEST(ExtractFileExt, TakesTheLastDotAfterTheLastSeparator) {
  const ExtRow rows[] = {
      {"Unit1.pas", ".pas"},
      {"notes.pas.bak", ".bak"},
      {"Makefile", ""},
      {"C:\\src.old\\Makefile", ""},
      {"C:\\src.old\\Unit1.pas", ".pas"},
      {"C:Makefile", ""},
      {"D:x.y:Makefile", ""},
      {"/home/kim/src.old/Makefile", ""},
      {"/home/kim/src.old/main.cpp", ".cpp"},
      {"name.", "."},
      {".hidden", ".hidden"},
      {"dir.d/", ""},
      {"", ""},
  };
  for (const auto& row : rows)
    EXPECT_EQ(ExtractFileExt(row.name), row.ext) << row.name;
}

TEST(IntToStr, DecimalWithSign) {
  EXPECT_EQ(IntToStr(std::int32_t{0}), "0");
  EXPECT_EQ(IntToStr(std::int32_t{-1}), "-1");
  EXPECT_EQ(IntToStr(INT32_MIN), "-2147483648");
  EXPECT_EQ(IntToStr(INT32_MAX), "2147483647");
  EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
}

}  // namespace

}  // namespace zeb
