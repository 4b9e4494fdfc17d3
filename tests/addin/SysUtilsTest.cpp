// The runtime's string helpers.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "runtime/SysUtils.h"

namespace {

TEST(LowerCase, ChangesOnlyAsciiLetters) {
  EXPECT_EQ(LowerCase("UNIT1.PAS"), "unit1.pas");
  EXPECT_EQ(LowerCase("AZaz@[`{09"), "azaz@[`{09");
  // Bytes above 0x7F (UTF-8 Hangul, Latin-1 capitals) are kept as they are.
  EXPECT_EQ(LowerCase("\xEA\xB5\xB4\xEB\xA6\xBC\xC0\xC9"), "\xEA\xB5\xB4\xEB\xA6\xBC\xC0\xC9");
  const std::string withNul("A\0B", 3);
  EXPECT_EQ(LowerCase(withNul), std::string("a\0b", 3));
  EXPECT_EQ(LowerCase(""), "");
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
