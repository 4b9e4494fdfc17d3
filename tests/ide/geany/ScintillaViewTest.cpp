// The bridge's view over a Scintilla widget made with scintilla_new, no Geany running: the caret
// and selection read as zeb-host counts them, and the block commands do to the widget's text
// exactly what zeb-host's views (EditView, the oracle) do to a document, as one undo action.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
// Scintilla's widget needs GTK's declarations first.
#include <Scintilla.h>
#include <ScintillaWidget.h>

#include <memory>
#include <string>

#include "ide/core/EditView.h"
#include "ide/geany/ScintillaView.h"
#include "ide/text/BlockEditing.h"
#include "ide/text/Document.h"
#include "runtime/Exceptions.h"
#include "tests/ide/geany/GeanySession.h"

namespace zeb {

namespace {

// A Scintilla widget holding `text`, on an X display of the test's own.
class Widget {
 public:
  explicit Widget(const std::string& text, int tabWidth = 8) {
    static const test::XDisplay display;
    static const bool gtk = [] {
      setenv("DISPLAY", display.Name().c_str(), 1);
      return gtk_init_check(nullptr, nullptr) != FALSE;
    }();
    if (!gtk) throw std::runtime_error("GTK cannot start");
    widget_ = scintilla_new();
    g_object_ref_sink(widget_);
    Send(SCI_SETTABWIDTH, static_cast<uptr_t>(tabWidth));
    Send(SCI_APPENDTEXT, text.size(), reinterpret_cast<sptr_t>(text.data()));
    Send(SCI_EMPTYUNDOBUFFER);
  }
  ~Widget() {
    gtk_widget_destroy(widget_);
    g_object_unref(widget_);
  }
  ScintillaObject* Sci() const { return SCINTILLA(widget_); }
  sptr_t Send(unsigned int message, uptr_t w = 0, sptr_t l = 0) const {
    return scintilla_send_message(Sci(), message, w, l);
  }
  std::string Text() const {
    std::string text(static_cast<std::size_t>(Send(SCI_GETLENGTH)) + 1, '\0');
    Send(SCI_GETTEXT, text.size(), reinterpret_cast<sptr_t>(text.data()));
    text.pop_back();
    return text;
  }
  sptr_t Offset(TextPos pos) const {
    return Send(SCI_POSITIONFROMLINE, static_cast<uptr_t>(pos.line - 1)) + pos.col - 1;
  }
  TextPos At(sptr_t offset) const {
    const sptr_t line = Send(SCI_LINEFROMPOSITION, static_cast<uptr_t>(offset));
    return {static_cast<std::int32_t>(line + 1),
            static_cast<std::int32_t>(offset -
                                      Send(SCI_POSITIONFROMLINE, static_cast<uptr_t>(line)) + 1)};
  }
  // Selects from `anchor` to `caret`, as a user dragging from one to the other.
  void Select(TextPos anchor, TextPos caret) const {
    Send(SCI_SETSEL, static_cast<uptr_t>(Offset(anchor)), Offset(caret));
  }

 private:
  GtkWidget* widget_;
};

std::shared_ptr<Document> Doc(const std::string& bytes) {
  return std::make_shared<Document>("mem.pas", TextBuffer::FromBytes(bytes));
}

TEST(ScintillaView, CaretAndSelectionReadAsByteLinesAndColumns) {
  struct Row {
    std::string text;
    TextPos anchor, caret;
    TextPos cursor;
    std::size_t blockSize;
    std::size_t lines;
  };
  const Row rows[] = {
      {"", {1, 1}, {1, 1}, {1, 1}, 0, 1},
      {"ab\ncd", {2, 2}, {2, 2}, {2, 2}, 0, 2},
      {"ab\ncd\n", {1, 2}, {2, 3}, {2, 3}, 4, 3},  // a text ending in a line break: empty last line
      {"ab\r\ncd", {2, 3}, {1, 1}, {1, 1}, 6, 2},  // CRLF counts two bytes; the caret may lead
      {"\xC3\xA9x\n", {1, 3}, {1, 4}, {1, 4}, 1, 2},  // é is two bytes, two columns
      {"\tx", {1, 2}, {1, 2}, {1, 2}, 0, 1},          // a tab is one byte
  };
  for (const Row& row : rows) {
    Widget widget(row.text);
    widget.Select(row.anchor, row.caret);
    ScintillaView view(widget.Sci());
    EXPECT_EQ(view.Cursor(), row.cursor) << row.text;
    EXPECT_EQ(view.HasBlock(), row.blockSize != 0) << row.text;
    EXPECT_EQ(view.BlockSize(), row.blockSize) << row.text;
    EXPECT_EQ(view.LineCount(), row.lines) << row.text;
  }
}

// Each command on the widget leaves the text, caret and selection that zeb-host's view leaves,
// and one undo action takes the widget back.
TEST(ScintillaView, BlockCommandsDoWhatZebHostsViewsDo) {
  constexpr std::int32_t kLowerCase = 0;
  struct Row {
    std::string text;
    std::int32_t tabWidth;
    TextPos from, to;      // the block, the caret at `to`
    std::int32_t columns;  // kLowerCase for the lower-case command
  };
  const Row rows[] = {
      {"a\n  b\n\tc\nd\n", 8, {2, 1}, {4, 1}, 2},      // a block ending at column 1
      {"a\n  b\n\tc\nd\n", 8, {2, 3}, {3, 2}, 4},      // ending inside a line
      {"a\n  b\n\n  c\n", 4, {1, 1}, {4, 4}, 2},       // empty lines stay empty
      {"\t\tx\n \ty\n   z\n", 4, {1, 1}, {3, 5}, -2},  // tabs unindented at width 4
      {"\t\tx\n \ty\n   z\n", 8, {1, 1}, {3, 5}, -4},  // and at width 8
      {"  a\n b\nc\n", 8, {1, 1}, {3, 2}, -4},         // more than the lead
      {"    a\n    b\n", 8, {2, 3}, {1, 2}, -2},       // caret before the anchor, in leads
      {"  a\r\n  b\r\n", 8, {1, 1}, {2, 4}, 2},        // CRLF stays CRLF
      {"  a\r\n  b\r\n", 8, {1, 1}, {2, 4}, -2},
      {"\xC3\xA9"
       "a\n  \xC3\xBC\n",
       8,
       {1, 2},
       {2, 5},
       2},                                                // multi-byte characters
      {"x\ny\n", 8, {1, 1}, {2, 2}, -2},                  // nothing to unindent: no undo step
      {"ABC\nDeF\nGH\n", 8, {1, 2}, {2, 3}, kLowerCase},  // only inside the block
      {"abc\n", 8, {1, 1}, {1, 4}, kLowerCase},           // nothing to lower
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text + " by " + std::to_string(row.columns));
    EditView oracle(Doc(row.text), row.tabWidth);
    ASSERT_TRUE(oracle.Select(row.from, row.to));
    Widget widget(row.text, row.tabWidth);
    widget.Select(row.from, row.to);
    ScintillaView view(widget.Sci());
    if (row.columns == kLowerCase) {
      oracle.LowerCaseBlock();
      view.LowerCaseBlock();
    } else {
      oracle.IndentBlock(row.columns);
      view.IndentBlock(row.columns);
    }
    const Document& document = oracle.GetDocument();
    const std::string expected = document.Bytes(0, document.ByteSize());
    EXPECT_EQ(widget.Text(), expected);
    EXPECT_EQ(view.Cursor(), oracle.Cursor());
    EXPECT_EQ(widget.At(widget.Send(SCI_GETSELECTIONSTART)), oracle.BlockStart());
    EXPECT_EQ(widget.At(widget.Send(SCI_GETSELECTIONEND)), oracle.BlockEnd());

    const bool changed = expected != row.text;
    EXPECT_EQ(widget.Send(SCI_CANUNDO) != 0, changed);
    widget.Send(SCI_UNDO);
    EXPECT_EQ(widget.Text(), row.text);
    EXPECT_EQ(widget.Send(SCI_CANUNDO), 0) << "the command took more than one undo action";
  }
}

TEST(ScintillaView, RectangularAndMultipleSelectionsAreNoBlock) {
  const std::string text = "  a\n  b\n  c\n";
  {
    Widget widget(text);
    widget.Send(SCI_SETSELECTIONMODE, SC_SEL_RECTANGLE);
    widget.Select({1, 1}, {3, 3});
    widget.Send(SCI_SETSELECTIONMODE, SC_SEL_RECTANGLE);
    ScintillaView view(widget.Sci());
    EXPECT_FALSE(view.HasBlock());
    EXPECT_EQ(view.BlockSize(), 0u);
    view.IndentBlock(2);
    EXPECT_EQ(widget.Text(), text);
  }
  {
    Widget widget(text);
    widget.Send(SCI_SETMULTIPLESELECTION, 1);
    widget.Send(SCI_SETSELECTION, 0, 2);
    widget.Send(SCI_ADDSELECTION, 4, 6);
    ScintillaView view(widget.Sci());
    EXPECT_FALSE(view.HasBlock());
    view.LowerCaseBlock();
    view.IndentBlock(-2);
    EXPECT_EQ(widget.Text(), text);
  }
}

// Once its widget is gone the view answers as an empty text, for an add-in still holding it.
TEST(ScintillaView, DetachedViewAnswersAsAnEmptyText) {
  Widget widget("  a\n  b\n");
  widget.Select({1, 1}, {2, 2});
  ScintillaView view(widget.Sci());
  ASSERT_TRUE(view.HasBlock());
  view.Detach();
  EXPECT_EQ(view.Cursor(), (TextPos{1, 1}));
  EXPECT_FALSE(view.HasBlock());
  EXPECT_EQ(view.BlockSize(), 0u);
  EXPECT_EQ(view.LineCount(), 1u);
  view.IndentBlock(2);
  view.LowerCaseBlock();
  EXPECT_EQ(widget.Text(), "  a\n  b\n");
}

TEST(ScintillaView, IndentsPastTheWidestAreRefused) {
  Widget widget("a\n");
  widget.Select({1, 1}, {1, 2});
  ScintillaView view(widget.Sci());
  EXPECT_THROW(view.IndentBlock(kMaxIndentColumns + 1), EInvalidOperation);
  EXPECT_THROW(view.IndentBlock(-kMaxIndentColumns - 1), EInvalidOperation);
  EXPECT_EQ(widget.Text(), "a\n");
}

}  // namespace

}  // namespace zeb
