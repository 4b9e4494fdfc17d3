#include "ide/text/BlockEditing.h"

#include <gtest/gtest.h>

namespace zeb {
namespace {

struct IndentCase {
  const char* line;
  std::int32_t columns;
  const char* expected;
};

TEST(BlockEditing, IndentAndUnindentOneLine) {
  const IndentCase cases[] = {
      {"abc", 2, "  abc"},
      {"abc", 4, "    abc"},
      {"", 4, ""},  // empty lines stay empty
      {"  ", 2, "    "},
      {"    abc", -2, "  abc"},
      {"    abc", -4, "abc"},
      {" abc", -4, "abc"},  // a short indent goes entirely
      {"abc", -2, "abc"},
      {"\tabc", -8, "abc"},
      {"\tabc", -2, "      abc"},    // the tab becomes the six columns that remain
      {"  \tabc", -2, "      abc"},  // the tab spans columns 3 to 8
      {"\t\tabc", -4, "\t    abc"},
      {" \t abc", -1, " \tabc"},  // keeps what still fits: the tab reaches column 8
      {"   ", -2, " "},
      {"\xC7\xD1 a", -2, "\xC7\xD1 a"},  // no leading blank
  };
  for (const IndentCase& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.line << "\" by " << c.columns);
    EXPECT_EQ(BlockEditing::Indent(c.line, c.columns, 8).text, c.expected);
  }
}

TEST(BlockEditing, OffsetsFollowTheText) {
  // "    abc" unindented to "  abc": lead 4 -> 2.
  EXPECT_EQ(BlockEditing::MoveOffset(0, 4, 2), 0u);
  EXPECT_EQ(BlockEditing::MoveOffset(5, 4, 2), 3u);
  EXPECT_EQ(BlockEditing::MoveOffset(3, 4, 2), 2u);
  // "abc" indented to "  abc": lead 0 -> 2; the start of the line stays.
  EXPECT_EQ(BlockEditing::MoveOffset(0, 0, 2), 0u);
  EXPECT_EQ(BlockEditing::MoveOffset(1, 0, 2), 3u);
}

TEST(BlockEditing, LowerCaseTouchesOnlyAsciiLettersInRange) {
  std::string text = "ABC\xC7\xD1 DEF";
  EXPECT_TRUE(BlockEditing::LowerCaseAscii(text, 1, 8));
  EXPECT_EQ(text, "Abc\xC7\xD1 deF");
  EXPECT_FALSE(BlockEditing::LowerCaseAscii(text, 3, 6));  // no letter there
  EXPECT_EQ(text, "Abc\xC7\xD1 deF");
}

}  // namespace
}  // namespace zeb
