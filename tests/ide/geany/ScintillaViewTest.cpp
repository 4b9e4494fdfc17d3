// The bridge's view over a Scintilla widget made with scintilla_new, no Geany running: the caret
// and selection read as zeb-host counts them, and the block commands do to the widget's text
// exactly what zeb-host's views (EditView, the oracle) do to a document, as one undo action. The
// view as the editing extension's text reads and replaces bytes as zeb-host's DocumentText does,
// and sets the cursor and the block as EditView does; the undo group makes one undo action of
// each widget's changes.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
// Scintilla's widget needs GTK's declarations first.
#include <Scintilla.h>
#include <ScintillaWidget.h>

#include <memory>
#include <string>
#include <utility>

#include "ide/core/EditView.h"
#include "ide/geany/ScintillaUndoGroup.h"
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

// A place as gtest prints it.
std::pair<int, int> P(TextPos pos) {
  return {pos.line, pos.col};
}

// The texts both sides count alike: LF and CRLF line ends, multi-byte characters, empty lines,
// a final line end and none.
const std::string kTexts[] = {
    "", "ab", "ab\ncd\n", "\n\n", "h\xC3\xA9llo\r\nw\xC3\xB6rld\r\n", "x\r\n\r\ny",
};

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
  EXPECT_EQ(P(view.BlockEnd()), P({1, 1}));
  EXPECT_EQ(view.ByteSize(), 0u);
  EXPECT_EQ(view.LineEnd(1), 0u);
  EXPECT_EQ(view.Bytes(0, 4), "");
  EXPECT_FALSE(view.SetCursor({1, 1}));
  view.IndentBlock(2);
  view.LowerCaseBlock();
  view.Replace(0, 1, "x");
  EXPECT_EQ(widget.Text(), "  a\n  b\n");
}

// Every read of the text answers what zeb-host's DocumentText answers for the same bytes, lines
// and offsets outside the text included.
TEST(ScintillaText, ReadsAsZebHostsDocumentText) {
  for (const std::string& text : kTexts) {
    SCOPED_TRACE(text);
    auto oracleView = std::make_shared<EditView>(Doc(text), 8);
    const auto oracle = oracleView->ViewText();
    Widget widget(text);
    auto view = std::make_shared<ScintillaView>(widget.Sci());
    const auto bytes = view->ViewText();
    ASSERT_EQ(bytes->ByteSize(), oracle->ByteSize());
    ASSERT_EQ(bytes->LineCount(), oracle->LineCount());
    for (std::size_t line = 0; line <= oracle->LineCount() + 1; ++line) {
      EXPECT_EQ(bytes->LineStart(line), oracle->LineStart(line)) << "line " << line;
      EXPECT_EQ(bytes->LineEnd(line), oracle->LineEnd(line)) << "line " << line;
    }
    for (std::size_t offset = 0; offset <= oracle->ByteSize() + 1; ++offset) {
      EXPECT_EQ(bytes->LineOf(offset), oracle->LineOf(offset)) << "offset " << offset;
      for (const std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{3}, SIZE_MAX})
        EXPECT_EQ(bytes->Bytes(offset, count), oracle->Bytes(offset, count))
            << "offset " << offset << ", " << count << " bytes";
    }
  }
}

// Scintilla ends a line at a lone CR too, where zeb-host reads it as text.
TEST(ScintillaText, ALoneCrEndsALine) {
  Widget widget("a\rb");
  auto view = std::make_shared<ScintillaView>(widget.Sci());
  EXPECT_EQ(view->LineCount(), 2u);
  EXPECT_EQ(view->LineEnd(1), 1u);
  EXPECT_EQ(view->LineStart(2), 2u);
}

// A read-only document (Geany's Document -> Read Only) refuses an add-in's edits as it refuses
// typing.
TEST(ScintillaText, AReadOnlyWidgetKeepsItsText) {
  Widget widget("ab\n");
  widget.Send(SCI_SETREADONLY, 1);
  auto view = std::make_shared<ScintillaView>(widget.Sci());
  view->Replace(0, 1, "x");
  EXPECT_EQ(widget.Text(), "ab\n");
  EXPECT_EQ(widget.Send(SCI_CANUNDO), 0);
}

// A replace changes the widget's bytes as DocumentText changes the document's, as one undo
// action, and the caret and the selection keep their lines and columns as zeb-host's view does.
TEST(ScintillaText, ReplaceDoesWhatZebHostsDocumentTextDoes) {
  const std::string crlf = "h\xC3\xA9llo\r\nw\xC3\xB6rld\r\n";
  struct Row {
    std::string text;
    std::size_t offset, removed;
    std::string inserted;
    TextPos from, to;  // the selection, the caret at `to`
  };
  const Row rows[] = {
      {crlf, 8, 0, "new\r\n", {2, 3}, {2, 3}},     // a line in before the caret's
      {crlf, 1, 2, "", {1, 1}, {2, 3}},            // a multi-byte character out of the block
      {crlf, 6, 2, "\n", {2, 7}, {1, 2}},          // CRLF made LF, the caret before the anchor
      {crlf, 0, 16, "x", {1, 2}, {2, 5}},          // the whole text: both brought back
      {crlf, 16, 0, "!", {1, 7}, {1, 7}},          // at the very end
      {"a\nb\nc\n", 2, 2, "", {3, 2}, {3, 2}},     // the caret's line goes: it keeps its place
      {"a\nb\nc\n", 0, 6, "", {1, 1}, {4, 1}},     // nothing left
      {"\xC3\xA9\n", 1, 0, "\n", {1, 3}, {1, 3}},  // a line end inside a character
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text + " at " + std::to_string(row.offset) + " -" +
                 std::to_string(row.removed) + " +" + row.inserted);
    auto oracle = std::make_shared<EditView>(Doc(row.text), 8);
    ASSERT_TRUE(oracle->Select(row.from, row.to));
    oracle->ViewText()->Replace(row.offset, row.removed, row.inserted);
    oracle->ClampToDocument();
    Widget widget(row.text);
    widget.Select(row.from, row.to);
    auto view = std::make_shared<ScintillaView>(widget.Sci());
    view->ViewText()->Replace(row.offset, row.removed, row.inserted);

    const Document& document = oracle->GetDocument();
    EXPECT_EQ(widget.Text(), document.Bytes(0, document.ByteSize()));
    EXPECT_EQ(P(view->Cursor()), P(oracle->Cursor()));
    EXPECT_EQ(P(view->BlockStart()), P(oracle->BlockStart()));
    EXPECT_EQ(P(view->BlockEnd()), P(oracle->BlockEnd()));
    widget.Send(SCI_UNDO);
    EXPECT_EQ(widget.Text(), row.text);
    EXPECT_EQ(widget.Send(SCI_CANUNDO), 0) << "the replace took more than one undo action";
  }
}

// The block's ends, the cursor and the block set, places refused: as zeb-host's EditView, from
// a user's selection in either direction, and from a rectangular selection.
TEST(ScintillaView, CursorAndBlockAreSetAsZebHostsViewsSetThem) {
  const std::string text = "h\xC3\xA9llo\r\nw\xC3\xB6rld\r\n";
  enum Action { kSetCursor, kSelect };
  struct Row {
    TextPos userFrom, userTo;  // the user's selection before
    Action action;
    TextPos from, to;  // SetCursor takes `to`
    bool done;
  };
  const Row rows[] = {
      {{1, 1}, {1, 1}, kSetCursor, {}, {2, 3}, true},
      {{2, 4}, {1, 2}, kSetCursor, {}, {1, 7}, true},   // the end of a CRLF line's text
      {{1, 1}, {1, 1}, kSetCursor, {}, {1, 8}, false},  // between CR and LF
      {{1, 1}, {1, 1}, kSetCursor, {}, {4, 1}, false},  // no such line
      {{1, 1}, {1, 1}, kSetCursor, {}, {1, 0}, false},
      {{1, 1}, {1, 1}, kSelect, {3, 1}, {1, 2}, true},  // backwards: the caret at `to`
      {{1, 3}, {2, 2}, kSelect, {2, 1}, {2, 1}, true},  // empty: no block
      {{1, 1}, {1, 1}, kSelect, {1, 1}, {2, 8}, false},
      {{1, 1}, {2, 2}, kSelect, {0, 1}, {2, 2}, false},
  };
  for (const bool rectangular : {false, true}) {
    for (const Row& row : rows) {
      SCOPED_TRACE(std::to_string(&row - rows) + (rectangular ? " from a rectangle" : ""));
      auto oracle = std::make_shared<EditView>(Doc(text), 8);
      ASSERT_TRUE(oracle->Select(row.userFrom, row.userTo));
      Widget widget(text);
      if (rectangular) widget.Send(SCI_SETSELECTIONMODE, SC_SEL_RECTANGLE);
      widget.Select(row.userFrom, row.userTo);
      if (rectangular) widget.Send(SCI_SETSELECTIONMODE, SC_SEL_RECTANGLE);
      ScintillaView view(widget.Sci());
      // A rectangle is no block: both ends are the cursor.
      EXPECT_EQ(P(view.BlockStart()), P(rectangular ? view.Cursor() : oracle->BlockStart()));
      EXPECT_EQ(P(view.BlockEnd()), P(rectangular ? view.Cursor() : oracle->BlockEnd()));
      const bool done =
          row.action == kSetCursor ? view.SetCursor(row.to) : view.Select(row.from, row.to);
      EXPECT_EQ(done, row.done);
      if (!done) continue;
      row.action == kSetCursor ? oracle->SetCursor(row.to) : oracle->Select(row.from, row.to);
      EXPECT_EQ(P(view.Cursor()), P(oracle->Cursor()));
      EXPECT_EQ(view.HasBlock(), oracle->HasBlock());
      EXPECT_EQ(P(view.BlockStart()), P(oracle->BlockStart()));
      EXPECT_EQ(P(view.BlockEnd()), P(oracle->BlockEnd()));
    }
  }
}

// What is changed inside a group, however many changes in however many widgets, is one undo
// action of each widget; outside one, each change is its own. Groups nest (the inner End leaves
// the group open), an End without a Begin is nothing, a widget gone before the group ends is left
// out.
TEST(ScintillaUndoGroup, ChangesInAGroupAreOneUndoActionOfEachWidget) {
  const std::string text = "b\na\n";
  auto changes = [](ScintillaView& view) {
    view.ViewText()->Replace(0, 1, "B");
    view.ViewText()->Replace(4, 0, "c\n");
    view.Select({1, 1}, {3, 1});
    view.IndentBlock(2);
    view.LowerCaseBlock();
  };
  auto undoSteps = [](const Widget& widget) {
    int steps = 0;
    for (; widget.Send(SCI_CANUNDO) != 0; ++steps)
      widget.Send(SCI_UNDO);
    return steps;
  };
  for (const bool grouped : {false, true}) {
    SCOPED_TRACE(grouped ? "grouped" : "not grouped");
    ScintillaUndoGroup group;
    Widget first(text), second(text), gone(text);
    auto a = std::make_shared<ScintillaView>(first.Sci(), &group);
    auto b = std::make_shared<ScintillaView>(second.Sci(), &group);
    auto c = std::make_shared<ScintillaView>(gone.Sci(), &group);
    group.End();
    if (grouped) group.Begin();
    group.Begin();
    changes(*a);
    group.End();
    changes(*b);
    changes(*c);
    c->Detach();
    group.End();
    EXPECT_FALSE(group.Open());
    // The group's actions ended: a change after it is a step of its own.
    a->ViewText()->Replace(0, 0, "z");
    b->ViewText()->Replace(0, 0, "z");
    EXPECT_EQ(first.Text(), "z  b\n  a\nc\n");
    EXPECT_EQ(second.Text(), first.Text());
    EXPECT_EQ(undoSteps(first), 2);
    EXPECT_EQ(undoSteps(second), grouped ? 2 : 5);
    EXPECT_EQ(first.Text(), text);
    EXPECT_EQ(second.Text(), text);
  }
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
