// Search as in other editors: every match on screen marked, the search made as the user types,
// Match case, Whole word and Regular expression, the search text taken from the selection.
#include <QCheckBox>
#include <QLineEdit>

#include "ide/qt/FindBar.h"
#include "ide/qt/SearchHighlight.h"
#include "tests/qt/WindowFixture.h"

namespace {

using zeb::EditorWidget;
using zeb::FindBar;
using zeb::SearchHighlight;
using zeb::TextPos;
using zeb::test::WindowTest;

class FindBarTest : public WindowTest {
 protected:
  // The texts of the marked matches, in order.
  static QStringList MarkedTexts(const EditorWidget& editor) {
    QStringList texts;
    const QByteArray shown = editor.ScreenBytes();
    for (const auto& [from, to] : SearchHighlight::Marked(editor))
      texts << QString::fromUtf8(shown.mid(from, to - from));
    return texts;
  }
  // Types the search text as a user does, into the bar opened with Ctrl+F.
  FindBar& Search(EditorWidget& editor, const QString& text) {
    QTest::keyClick(&editor, Qt::Key_F, Qt::ControlModifier);
    FindBar& bar = *window->Finder();
    bar.FindText()->clear();
    QTest::keyClicks(bar.FindText(), text);
    return bar;
  }
};

constexpr char kText[] = "end End endless\nbegin end;\n{ the end }\n";

TEST_F(FindBarTest, EveryMatchIsMarkedAsTheOptionsSay) {
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Ends.pas"), kText);
  ASSERT_NE(editor, nullptr);
  const struct {
    const char* needle;
    bool matchCase, wholeWord, regex;
    QStringList marked;
  } cases[] = {
      {"end", false, false, false, {"end", "End", "end", "end", "end"}},
      {"end", true, false, false, {"end", "end", "end", "end"}},
      {"end", false, true, false, {"end", "End", "end", "end"}},
      {"End", true, true, false, {"End"}},
      {"[Ee]nd(less)?\\b", true, false, true, {"end", "End", "endless", "end", "end"}},
      {"e.d;", false, false, true, {"end;"}},
      {"(", false, false, true, {}},
  };
  for (const auto& c : cases) {
    FindBar& bar = *window->Finder();
    bar.MatchCase()->setChecked(c.matchCase);
    bar.WholeWord()->setChecked(c.wholeWord);
    bar.RegularExpression()->setChecked(c.regex);
    editor->SetSelection(0, 0);
    editor->setFocus();
    Search(*editor, QLatin1String(c.needle));
    EXPECT_EQ(MarkedTexts(*editor), c.marked) << c.needle;
    // The search as typed selected the first match from where the caret stood.
    if (!c.marked.isEmpty()) {
      EXPECT_EQ(editor->selectedText(), c.marked.front()) << c.needle;
    }
    EXPECT_EQ(bar.Note().isEmpty(), !c.marked.isEmpty()) << c.needle;
  }
  EXPECT_EQ(window->Finder()->Note(), QStringLiteral("Not a valid expression"));
  QTest::keyClick(window->Finder()->FindText(), Qt::Key_Escape);
  EXPECT_TRUE(SearchHighlight::Marked(*editor).empty()) << "closing the bar clears the marks";
}

TEST_F(FindBarTest, SearchingAsYouTypeAndFromTheSelection) {
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Ends.pas"), kText);
  ASSERT_NE(editor, nullptr);
  FindBar& bar = *window->Finder();
  // Each letter searches again from where the search started.
  QTest::keyClick(editor, Qt::Key_F, Qt::ControlModifier);
  QTest::keyClicks(bar.FindText(), QStringLiteral("b"));
  EXPECT_EQ(editor->View()->BlockStart(), (TextPos{2, 1}));
  QTest::keyClicks(bar.FindText(), QStringLiteral("eg"));
  EXPECT_EQ(editor->View()->BlockStart(), (TextPos{2, 1}));
  EXPECT_EQ(editor->View()->BlockEnd(), (TextPos{2, 4}));
  QTest::keyClicks(bar.FindText(), QStringLiteral("x"));
  EXPECT_EQ(bar.Note(), QStringLiteral("Not found"));

  // Opened over a selection within a line, the bar searches for it; F3 goes on from there.
  editor->setFocus();
  editor->SetSelection(4, 7);  // "End"
  QTest::keyClick(editor, Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(bar.FindText()->text(), QStringLiteral("End"));
  QTest::keyClick(bar.FindText(), Qt::Key_Return);
  EXPECT_EQ(editor->View()->BlockStart(), (TextPos{1, 9})) << "the next, \"end\" of endless";

  // A regular expression's replacement takes its groups; Replace All is one undo step.
  bar.RegularExpression()->setChecked(true);
  bar.MatchCase()->setChecked(true);
  bar.FindText()->setText(QStringLiteral("(\\w+)less"));
  bar.ReplaceText()->setText(QStringLiteral("\\1ful"));
  EXPECT_EQ(bar.ReplaceAll(), 1);
  EXPECT_EQ(DocumentBytes(*editor), "end End endful\nbegin end;\n{ the end }\n");
  bar.FindText()->setText(QStringLiteral("^"));  // empty matches, one per line
  bar.ReplaceText()->setText(QStringLiteral("> "));
  EXPECT_EQ(bar.ReplaceAll(), 4);
  EXPECT_EQ(DocumentBytes(*editor), "> end End endful\n> begin end;\n> { the end }\n> ");
  editor->setFocus();
  QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(DocumentBytes(*editor), QByteArray(kText));
}

// Marks follow the view: only what is on screen is searched, again as it scrolls; a screenshot.
TEST_F(FindBarTest, MarksFollowTheLinesOnScreen) {
  QByteArray text;
  for (int i = 1; i <= 3000; ++i)
    text += "  Result := Value" + QByteArray::number(i) + "; { end of step }\n";
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Long.pas"), text);
  ASSERT_NE(editor, nullptr);
  window->SplitView();
  Search(*editor, QStringLiteral("end"));
  const auto marked = SearchHighlight::Marked(*editor);
  ASSERT_FALSE(marked.empty());
  EXPECT_LT(marked.size(), 200u) << "the lines on screen, not the whole file";
  SaveScreenshot(*window, QStringLiteral("search-highlight.png"));
  QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
  QApplication::processEvents();
  const long last = editor->Send(QsciScintillaBase::SCI_POSITIONFROMLINE, 2999);
  EXPECT_TRUE(QTest::qWaitFor([&] {
    return !SearchHighlight::Marked(*editor).empty() &&
           SearchHighlight::Marked(*editor).back().first > last;
  }));
}

}  // namespace
