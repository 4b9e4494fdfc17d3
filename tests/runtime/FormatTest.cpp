// The runtime's Format: the rules the trace channel and its users rely on. The broad comparison
// with a reference implementation is FormatOracleTest.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "runtime/Exceptions.h"
#include "runtime/Format.h"

namespace zeb {

namespace {

struct Row {
  const char* name;
  std::string fmt;
  std::vector<TVarRec> args;
  std::string expected;
};

TEST(Format, ConversionsTable) {
  const std::vector<Row> rows = {
      {"plain text", "abc", {}, "abc"},
      {"empty", "", {}, ""},
      {"percent", "100%%", {}, "100%"},
      {"d", "x=%d", {5}, "x=5"},
      {"d negative with precision", "%.5d", {-3}, "-00003"},
      {"d int64", "%d", {std::int64_t{-9223372036854775807 - 1}}, "-9223372036854775808"},
      {"u of negative 32-bit", "%u", {-1}, "4294967295"},
      {"x 32 and 64 bit", "%x %x", {-1, std::int64_t{-1}}, "FFFFFFFF FFFFFFFFFFFFFFFF"},
      {"x precision", "%.4x", {255}, "00FF"},
      {"width and left", "[%5d|%-5d]", {42, 42}, "[   42|42   ]"},
      {"star width and precision", "%*.*f", {8, 2, 3.14159}, "    3.14"},
      {"negative star width is a width", "[%*d]", {-4, 1}, "[   1]"},
      {"index", "%1:s %0:s %s", {"a", "b"}, "b a b"},
      {"s precision", "%.2s", {"hello"}, "he"},
      {"bare dot is precision 0",
       "%.f|%.s|%5.f|%.e|%.d",
       {2.5, "abc", 2.5, 2.5, 7},
       "3||    3|2.5E+000|7"},
      {"s keeps NUL", "%s", {std::string_view("a\0b", 3)}, std::string("a\0b", 3)},
      {"char", "%s%s", {'x', "y"}, "xy"},
      {"f half away from zero", "%.2f %.0f %.0f", {0.125, 2.5, -2.5}, "0.13 3 -3"},
      {"f exact binary value", "%.2f", {1.005}, "1.00"},
      {"f negative rounding to zero", "%.2f", {-0.004}, "0.00"},
      {"f default", "%f", {1.0 / 3}, "0.33"},
      {"f decimals stop at 18", "%.20f", {1.0 / 3}, "0.333333333333333315"},
      {"e and g digits from 2 to 17",
       "%.18e|%.25g|%.1e",
       {1.0 / 3, 2.0 / 3, 0.1},
       "3.3333333333333331E-001|0.66666666666666663|1.0E-001"},
      {"e", "%.3e", {-12345.678}, "-1.23E+004"},
      {"e carries into the exponent", "%.2e", {9.999}, "1.0E+001"},
      {"e default", "%e", {0.0}, "0.00000000000000E+000"},
      {"g fixed", "%g", {100.0}, "100"},
      {"g exponent", "%g %g", {1e20, -1e-10}, "1E20 -1E-10"},
      {"g rounds into more digits", "%.3g", {999.9}, "1E3"},
      {"g small but fixed", "%.2g", {0.000012345}, "0.000012"},
      {"n", "%n", {1234567.891}, "1,234,567.89"},
      {"m", "%m %m", {1234.5, -2.0}, "1,234.50$ -2.00$"},
      {"non-finite", "%f %e %g", {1.0 / 0.0, -1.0 / 0.0, 0.0 / 0.0}, "+Inf -Inf Nan"},
      {"pointer", "%p", {static_cast<const void*>(nullptr)}, "0000000000000000"},
      {"pointer value",
       "%p",
       {reinterpret_cast<const void*>(std::uintptr_t{0xAB})},  // NOLINT
       "00000000000000AB"},
      {"width on percent", "[%3%]", {}, "[  %]"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Format(row.fmt, row.args), row.expected) << row.name;
  }
}

TEST(Format, VariadicFormMatchesTheListForm) {
  const std::string s = "text";
  EXPECT_EQ(Format("%s|%d|%d|%.1f|%s", s, 7, std::int64_t{1} << 40, 0.25f, 'c'),
            "text|7|1099511627776|0.3|c");
  EXPECT_EQ(Format("%u", std::uint32_t{4000000000u}), "4000000000");
}

struct ErrorRow {
  const char* name;
  std::string fmt;
  std::vector<TVarRec> args;
};

TEST(Format, MisfitsRaiseEConvertErrorNamingTheFormat) {
  const std::vector<ErrorRow> rows = {
      {"too few", "%d %d", {1}},
      {"none", "%s", {}},
      {"index past the end", "%2:d", {1, 2}},
      {"after an index", "%1:s%s", {"a", "b"}},
      {"float for d", "%d", {1.5}},
      {"integer for f", "%f", {1}},
      {"integer for s", "%s", {1}},
      {"text for d", "%d", {"1"}},
      {"char for d", "%d", {'1'}},
      {"text for p", "%p", {"x"}},
      {"float for star", "%*d", {2.0, 1}},
      {"unknown conversion", "%k", {1}},
      {"lone percent", "abc%", {}},
      {"unfinished", "%5", {1}},
      {"huge width", "%99999999d", {1}},
  };
  for (const ErrorRow& row : rows) {
    try {
      Format(row.fmt, row.args);
      ADD_FAILURE() << row.name << ": did not raise";
    } catch (const EConvertError& e) {
      EXPECT_NE(e.Message().find("\"" + row.fmt + "\""), std::string::npos)
          << row.name << ": " << e.Message();
    }
  }
}

// Every record of the trace channel must be able to carry a result: a longer one raises before it
// is built, whatever makes it long.
TEST(Format, RefusesAResultOverTheBound) {
  const std::string atBound(kFormatMaxLength, 'x');
  const std::string over(kFormatMaxLength + 1, 'x');
  std::string wide;
  for (int i = 0; i < 65; ++i)
    wide += "%0:1048576d";
  const std::vector<ErrorRow> rows = {
      {"wide conversions", wide, {1}},
      {"long argument", "%s", {over}},
      {"long literal text", over, {}},
      {"argument at the bound and one more byte", "%s.", {atBound}},
      {"padding one byte past the bound", "%s%2d", {std::string_view(atBound).substr(1), 1}},
  };
  for (const ErrorRow& row : rows) {
    try {
      Format(row.fmt, row.args);
      ADD_FAILURE() << row.name << ": did not raise";
    } catch (const EConvertError& e) {
      EXPECT_NE(e.Message().find("longer than"), std::string::npos)
          << row.name << ": " << e.Message().substr(0, 300);
      EXPECT_LT(e.Message().size(), 400U) << row.name << ": the format is quoted in part";
    }
  }
  const TVarRec bound[] = {atBound};
  EXPECT_EQ(Format("%s", bound).size(), kFormatMaxLength);
  const TVarRec longer[] = {over};
  EXPECT_EQ(Format("%.3s", longer), "xxx");  // cut to its precision first
}

TEST(FmtStr, LeavesTheResultAloneWhenItRaises) {
  std::string result = "before";
  const TVarRec one[] = {1};
  EXPECT_THROW(FmtStr(result, "%s", one), EConvertError);
  EXPECT_EQ(result, "before");
  FmtStr(result, "%d", one);
  EXPECT_EQ(result, "1");
}

TEST(FormatArgKinds, ListsWhatEachPositionNeeds) {
  using K = TFormatArgKind;
  EXPECT_EQ(FormatArgKinds("%d %s %f %p"),
            (std::vector<K>{K::Integer, K::Text, K::Float, K::Pointer}));
  EXPECT_EQ(FormatArgKinds("%*.*e"), (std::vector<K>{K::Integer, K::Integer, K::Float}));
  EXPECT_EQ(FormatArgKinds("%2:s"), (std::vector<K>{K::Unused, K::Unused, K::Text}));
  EXPECT_EQ(FormatArgKinds("no conversions %%"), std::vector<K>{});
  EXPECT_THROW(FormatArgKinds("%q"), EConvertError);
}

}  // namespace

}  // namespace zeb
