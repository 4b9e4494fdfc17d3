#include "ide/core/EditView.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "ide/text/BlockEditing.h"

#include "runtime/Exceptions.h"

namespace zeb {

// Positions and view states as line:column in failure messages.
void PrintTo(const TextPos& pos, std::ostream* os) {
  *os << pos.line << ':' << pos.col;
}
void PrintTo(const ViewState& state, std::ostream* os) {
  *os << "cursor " << testing::PrintToString(state.cursor) << ", block "
      << testing::PrintToString(state.blockStart) << '-' << testing::PrintToString(state.blockEnd);
}

namespace {

std::shared_ptr<Document> Doc(const std::string& bytes) {
  return std::make_shared<Document>("mem.pas", TextBuffer::FromBytes(bytes));
}

struct BlockCase {
  const char* name;
  const char* text;
  TextPos from, to;
  std::int32_t columns;
  const char* expected;
};

TEST(EditView, IndentCoversTheBlocksLines) {
  const BlockCase cases[] = {
      {"whole lines, end at column 1 left out", "a\nb\nc\n", {1, 1}, {3, 1}, 2, "  a\n  b\nc\n"},
      {"partial first and last lines", "a\nbc\nd", {1, 2}, {2, 2}, 2, "  a\n  bc\nd"},
      {"one line, end at column 1 of the same line cannot be",
       "ab\n",
       {1, 1},
       {1, 2},
       4,
       "    ab\n"},
      {"empty lines stay empty", "a\n\nb\n", {1, 1}, {3, 2}, 2, "  a\n\n  b\n"},
      {"unindent with tabs and short indents",
       "\ta\n b\n    c\nd",
       {1, 1},
       {4, 2},
       -4,
       "    a\nb\nc\nd"},
      {"crlf kept", "a\r\nb\r\n", {1, 1}, {2, 2}, 2, "  a\r\n  b\r\n"},
      {"a lone CR is text, a CRLF line is empty",
       "\r\r\n\r\nx\r",
       {1, 1},
       {3, 3},
       2,
       "  \r\r\n\r\n  x\r"},
      {"block on the last line without line end", "x\ny", {2, 1}, {2, 2}, 2, "x\n  y"},
  };
  for (const BlockCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto doc = Doc(c.text);
    EditView view(doc, 8);
    ASSERT_TRUE(view.Select(c.from, c.to));
    view.IndentBlock(c.columns);
    EXPECT_EQ(doc->Buffer().ToBytes(), c.expected);
    EXPECT_TRUE(view.HasBlock());
    EXPECT_TRUE(view.Undo());
    EXPECT_EQ(doc->Buffer().ToBytes(), c.text);
    EXPECT_EQ(view.BlockStart(), c.from);
    EXPECT_EQ(view.BlockEnd(), c.to);
    EXPECT_TRUE(view.Redo());
    EXPECT_EQ(doc->Buffer().ToBytes(), c.expected);
    for (std::size_t i = 0; i < doc->LineCount(); ++i)  // the line index follows the bytes
      EXPECT_EQ(doc->Buffer().LineOf(doc->LineOffset(i)), i);
  }
}

TEST(EditView, TheBlockFollowsItsLinesSoTabsRepeat) {
  const auto doc = Doc("begin\nx := 1;\ny := 2;\nend;\n");
  EditView view(doc, 8);
  view.Select({2, 1}, {4, 1});
  view.IndentBlock(2);
  view.IndentBlock(2);
  EXPECT_EQ(doc->Buffer().ToBytes(), "begin\n    x := 1;\n    y := 2;\nend;\n");
  EXPECT_EQ(view.BlockStart(), (TextPos{2, 1}));
  EXPECT_EQ(view.BlockEnd(), (TextPos{4, 1}));
  view.IndentBlock(-2);
  EXPECT_EQ(doc->Buffer().ToBytes(), "begin\n  x := 1;\n  y := 2;\nend;\n");
  EXPECT_EQ(doc->History().UndoCount(), 3u);  // one step each

  // A block that starts inside the text moves with it; the cursor too.
  view.Select({2, 5}, {3, 4});
  view.IndentBlock(-2);
  EXPECT_EQ(view.BlockStart(), (TextPos{2, 3}));
  EXPECT_EQ(view.BlockEnd(), (TextPos{3, 2}));
  EXPECT_EQ(view.Cursor(), (TextPos{3, 2}));
}

TEST(EditView, NothingToIndentChangesNothing) {
  const auto doc = Doc("a\n\nb");
  EditView view(doc, 8);
  view.IndentBlock(2);  // no block
  view.Select({1, 1}, {3, 2});
  view.IndentBlock(-2);  // no leading white space anywhere
  view.Select({2, 1}, {3, 1});
  view.IndentBlock(2);  // only an empty line
  EXPECT_EQ(doc->Buffer().ToBytes(), "a\n\nb");
  EXPECT_EQ(doc->History().UndoCount(), 0u);
  EXPECT_FALSE(doc->Modified());
  EXPECT_THROW(view.IndentBlock(kMaxIndentColumns + 1), EInvalidOperation);
  EXPECT_THROW(view.IndentBlock(INT32_MIN), EInvalidOperation);
}

// A command that changes nothing makes no undo step and leaves the steps that can be redone: a
// Tab is undone, then a command with nothing to do runs, and the Tab can still be redone.
TEST(EditView, ACommandThatChangesNothingKeepsTheRedoSteps) {
  const struct {
    const char* name;
    TextPos from, to;  // the block the command sees (from == to: none)
    void (*command)(EditView&);
  } cases[] = {
      {"unindent without leading blanks", {1, 1}, {3, 1}, [](EditView& v) { v.IndentBlock(-2); }},
      {"lower case without capitals", {1, 1}, {3, 1}, [](EditView& v) { v.LowerCaseBlock(); }},
      {"indent of an empty line", {3, 1}, {4, 1}, [](EditView& v) { v.IndentBlock(2); }},
      {"empty text typed without a block", {2, 2}, {2, 2}, [](EditView& v) { v.InsertText(""); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto doc = Doc("abc\ndef\n\n");
    EditView view(doc, 8);
    view.Select({1, 1}, {3, 1});
    view.IndentBlock(2);
    ASSERT_TRUE(view.Undo());
    ASSERT_TRUE(view.Select(c.from, c.to));
    c.command(view);
    EXPECT_EQ(doc->Buffer().ToBytes(), "abc\ndef\n\n");
    EXPECT_EQ(doc->History().UndoCount(), 0u);
    EXPECT_FALSE(doc->Modified());
    EXPECT_TRUE(view.Redo());
    EXPECT_EQ(doc->Buffer().ToBytes(), "  abc\n  def\n\n");
  }
}

TEST(EditView, LowerCaseAndSizeStayInsideTheBlock) {
  const auto doc = Doc("ABC\r\nDEF\r\nGHI");
  EditView view(doc, 8);
  view.Select({1, 2}, {3, 2});
  EXPECT_EQ(view.BlockSize(), 2u + 2u + 3u + 2u + 1u);
  view.LowerCaseBlock();
  EXPECT_EQ(doc->Buffer().ToBytes(), "Abc\r\ndef\r\ngHI");
  EXPECT_EQ(doc->History().UndoCount(), 1u);
  view.LowerCaseBlock();  // nothing left to change: no new step
  EXPECT_EQ(doc->History().UndoCount(), 1u);
}

TEST(EditView, TypingReplacesTheBlockAndPositionsAreChecked) {
  const auto doc = Doc("hello world\nbye");
  EditView view(doc, 8);
  EXPECT_FALSE(view.Select({1, 1}, {3, 1}));
  EXPECT_FALSE(view.SetCursor({1, 13}));
  EXPECT_TRUE(view.SetCursor({1, 12}));
  ASSERT_TRUE(view.Select({1, 7}, {2, 1}));
  view.InsertText("there\nand ");
  EXPECT_EQ(doc->Buffer().ToBytes(), "hello there\nand bye");
  EXPECT_EQ(view.Cursor(), (TextPos{2, 5}));
  EXPECT_FALSE(view.HasBlock());
}

// A CR typed or left just before a line feed joins that line end: the cursor stays before it,
// never between CR and LF, and redo after undo gives back the text, cursor and block the edit
// left.
TEST(EditView, TheCursorNeverLandsInsideALineEnd) {
  const struct {
    const char* name;
    const char* text;
    TextPos from, to;
    std::vector<std::string> typed;  // one edit each
    const char* expected;
    TextPos cursor;
  } cases[] = {
      {"block between a lone CR and LF deleted", "a\rb\n", {1, 3}, {1, 4}, {""}, "a\r\n", {1, 2}},
      {"then typed over", "a\rb\n", {1, 3}, {1, 4}, {"", "X"}, "aX\r\n", {1, 3}},
      {"CR typed before LF", "ab\n", {1, 3}, {1, 3}, {"x\r"}, "abx\r\n", {1, 4}},
      {"CR typed before LF with lines",
       "ab\ncd",
       {1, 3},
       {1, 3},
       {"1\n2\r"},
       "ab1\n2\r\ncd",
       {2, 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto doc = Doc(c.text);
    EditView view(doc, 8);
    ASSERT_TRUE(view.Select(c.from, c.to));
    for (const std::string& text : c.typed)
      view.InsertText(text);
    EXPECT_EQ(doc->Buffer().ToBytes(), c.expected);
    EXPECT_EQ(view.State(), (ViewState{c.cursor, c.cursor, c.cursor}));
    EXPECT_TRUE(doc->IsValid(view.Cursor()));
    const ViewState left = view.State();
    ASSERT_TRUE(view.Undo());
    ASSERT_TRUE(view.Redo());
    EXPECT_EQ(doc->Buffer().ToBytes(), c.expected);
    EXPECT_EQ(view.State(), left);
  }
}

// Columns are 32-bit: on a line of 2 GiB an edit that would move a position past the largest
// column is refused, and nothing changes. (The line is zeros the allocator maps lazily.)
TEST(EditView, PositionsPastTheLargestColumnAreRefused) {
  const auto doc = std::make_shared<Document>(
      "huge.pas", TextBuffer::Adopt(ByteBlock::Zeros(static_cast<std::size_t>(INT32_MAX))));
  EditView view(doc, 8);
  ASSERT_TRUE(view.SetCursor({1, INT32_MAX}));
  EXPECT_THROW(view.InsertText("b"), EInvalidOperation);
  ASSERT_TRUE(view.Select({1, INT32_MAX - 1}, {1, INT32_MAX}));
  EXPECT_THROW(view.IndentBlock(2), EInvalidOperation);
  EXPECT_EQ(doc->ByteSize(), static_cast<std::size_t>(INT32_MAX));
  EXPECT_FALSE(doc->History().CanUndo());
}

TEST(EditView, AnotherViewStaysInsideTheText) {
  const auto doc = Doc("one\ntwo\nthree");
  EditView first(doc, 8);
  EditView second(doc, 8);
  second.SetCursor({3, 6});
  first.Select({2, 1}, {3, 6});
  first.InsertText("");
  second.ClampToDocument();
  EXPECT_EQ(second.Cursor(), (TextPos{2, 1}));
}

}  // namespace
}  // namespace zeb
