// The dialog's Korean font is drawn with the first installed substitute that keeps "." and ","
// apart; other names stay.
#include <gtest/gtest.h>

#include <set>

#include "ide/geany/FormDialog.h"

namespace zeb {

namespace {

TEST(FontSubstitution, KoreanSystemFontsTakeTheFirstInstalledSubstitute) {
  struct Row {
    const char* name;
    std::set<std::string, std::less<>> installed;
    const char* family;
  };
  const Row rows[] = {
      {"굴림", {"NanumGothic", "Noto Sans CJK KR"}, "Noto Sans CJK KR"},
      {"굴림", {"NanumGothic"}, "NanumGothic"},
      {"Dotum", {"Noto Sans KR", "NanumGothic"}, "Noto Sans KR"},
      {"굴림체", {}, "굴림체"},  // nothing to substitute with
      {"Tahoma", {"DejaVu Sans"}, "DejaVu Sans"},
      {"Courier New", {"Noto Sans CJK KR"}, "Courier New"},
  };
  for (const Row& row : rows) {
    const auto installed = [&](std::string_view family) { return row.installed.contains(family); };
    EXPECT_EQ(SubstituteFontFamily(row.name, installed), row.family) << row.name;
  }
}

}  // namespace

}  // namespace zeb
