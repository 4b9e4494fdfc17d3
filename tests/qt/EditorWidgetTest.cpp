// The editor pane as a user drives it: which keys type, where the caret goes after the window
// moves it, runs of deletions in the undo history, highlighting after a jump in a large file, and
// an exception from the core at an event edge.
#include <Qsci/qscilexerpascal.h>

#include <QLineEdit>
#include <stdexcept>

#include "ide/qt/DocumentScreen.h"
#include "ide/qt/FindBar.h"
#include "tests/qt/WindowFixture.h"

namespace {

using zeb::EditorWidget;
using zeb::test::kUnit;
using zeb::test::WindowTest;

using EditorTest = WindowTest;

TEST_F(EditorTest, KeysWithCtrlAltOrSuperTypeNothingThatNoBindingTakes) {
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Unit1.pas"), kUnit);
  ASSERT_NE(editor, nullptr);
  const struct {
    char key;
    Qt::KeyboardModifiers modifiers;
  } keys[] = {
      {'=', Qt::ControlModifier},
      {'+', Qt::ControlModifier | Qt::ShiftModifier},
      {'!', Qt::ControlModifier | Qt::ShiftModifier},
      {';', Qt::ControlModifier},
      {'\'', Qt::ControlModifier},
      {',', Qt::ControlModifier},
      {'.', Qt::ControlModifier},
      {'x', Qt::MetaModifier},
      {'1', Qt::ControlModifier | Qt::AltModifier},
      {';', Qt::ControlModifier | Qt::AltModifier},
      {'q', Qt::AltModifier},
  };
  for (const auto& key : keys) {
    QTest::keyClick(editor, key.key, key.modifiers);
    EXPECT_EQ(DocumentBytes(*editor), QByteArray(kUnit))
        << key.key << " with modifiers 0x" << std::hex << key.modifiers.toInt();
  }
  // Without them, and with Shift only, the same keys type.
  QTest::keyClick(editor, '=');
  QTest::keyClick(editor, '!', Qt::ShiftModifier);
  EXPECT_EQ(DocumentBytes(*editor), QByteArray("=!") + kUnit);
}

TEST_F(EditorTest, CaretMovesOfTheWindowResetTheColumnThatUpAndDownKeep) {
  QByteArray text;
  for (int i = 1; i <= 30; ++i)
    text += QByteArray("line ") + QByteArray::number(i).rightJustified(2, '0') +
            QByteArray(" of the text, long enough\n");
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Lines.pas"), text);
  ASSERT_NE(editor, nullptr);
  const struct {
    const char* name;
    std::function<void()> move;
    zeb::TextPos to;  // where the window put the caret
  } moves[] = {
      {"Go to Line", [&] { window->GoToLine(22); }, {22, 1}},
      {"Find",
       [&] {
         window->Finder()->SetEditor(editor);
         window->Finder()->FindText()->setText(QStringLiteral("line 10"));
         window->Finder()->FindNext();
       },
       {10, 8}},
  };
  for (const auto& move : moves) {
    QTest::keyClick(editor, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Down);
    for (int i = 1; i < 22; ++i)
      QTest::keyClick(editor, Qt::Key_Right);
    ASSERT_EQ(editor->View()->Cursor(), (zeb::TextPos{2, 22}));
    move.move();
    ASSERT_EQ(editor->View()->Cursor(), move.to) << move.name;
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(editor, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(editor->View()->Cursor(), (zeb::TextPos{move.to.line + 2, move.to.col})) << move.name;
  }
}

TEST_F(EditorTest, ARunOfBackspaceOrDeleteIsOneUndoStepThatRestoresTheCaret) {
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Unit1.pas"), kUnit);
  ASSERT_NE(editor, nullptr);
  const struct {
    const char* name;
    Qt::Key key;
    int right;         // the caret's column - 1 before the run
    QByteArray after;  // the first line after three presses
  } runs[] = {
      {"Backspace", Qt::Key_Backspace, 10, "unit Un;"},
      {"Delete", Qt::Key_Delete, 5, "unit t1;"},
  };
  for (const auto& run : runs) {
    QTest::keyClick(editor, Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < run.right; ++i)
      QTest::keyClick(editor, Qt::Key_Right);
    const long caret = editor->Caret();
    for (int i = 0; i < 3; ++i)
      QTest::keyClick(editor, run.key);
    EXPECT_TRUE(DocumentBytes(*editor).startsWith(run.after + "\n")) << run.name;
    QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(DocumentBytes(*editor), QByteArray(kUnit)) << run.name << ": one step";
    EXPECT_EQ(editor->Caret(), caret) << run.name;
    EXPECT_EQ(editor->Anchor(), editor->Caret()) << run.name << ": nothing selected";
    EXPECT_FALSE(editor->View()->HasBlock()) << run.name;
  }
}

// Enter keeps the leading blanks of the line it breaks, as they are, in one undo step.
TEST_F(EditorTest, EnterStartsTheNewLineWithTheBlanksOfTheLineBroken) {
  ASSERT_TRUE(window->LoadPackage(QStringLiteral(ZEB_ADDIN_PATH)));
  const struct {
    QByteArray text;
    long caret, anchor;  // screen positions
    QByteArray after;
  } cases[] = {
      {"  x := 1;\n", 9, 9, "  x := 1;\n  \n"},
      {"\t\tif a then\n", 11, 11, "\t\tif a then\n\t\t\n"},
      {" \t x\n", 4, 4, " \t x\n \t \n"},  // tabs and spaces as they are
      {"    x\n", 2, 2, "  \n    x\n"},    // among the blanks: those before the caret
      {"x\n", 1, 1, "x\n\n"},
      {"  ab\r\n  cd\r\n", 3, 9, "  a\r\n  d\r\n"},  // a block replaced; the file's line end
  };
  for (const auto& c : cases) {
    EditorWidget* editor = window->OpenFile(Write(QStringLiteral("Enter.cpp"), c.text));
    ASSERT_NE(editor, nullptr);
    editor->SetSelection(c.anchor, c.caret);
    editor->PushSelectionToView();
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(DocumentBytes(*editor), c.after) << c.text.toStdString();
    EXPECT_TRUE(editor->InStep());
    QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(DocumentBytes(*editor), c.text) << "one step: " << c.text.toStdString();
    window->CloseCurrent();
  }
}

// The lines on screen after Ctrl+End in a large file are highlighted at the first paint, and
// stay so once the component has styled the text above them.
TEST_F(EditorTest, TheLinesOnScreenAreHighlightedAtOnceAfterAJumpToTheEnd) {
  QByteArray text;
  for (int i = 0; i < 200000; ++i)
    text += "  x := x + 1; { a comment }\n";
  EditorWidget* editor = window->OpenFile(Write(QStringLiteral("Big.pas"), text));
  ASSERT_NE(editor, nullptr);
  editor->setFocus();
  QApplication::processEvents();
  QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
  const auto commentsStyled = [&] {
    const long first = editor->Send(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
    const long shown = editor->Send(QsciScintillaBase::SCI_LINESONSCREEN);
    int lines = 0, styled = 0;
    for (long line = first; line < first + shown && line < 200000; ++line, ++lines) {
      const long brace =
          editor->Send(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)) +
          14;
      styled += editor->Send(QsciScintillaBase::SCI_GETSTYLEAT,
                             static_cast<unsigned long>(brace)) == QsciLexerPascal::Comment;
    }
    return lines > 10 && styled == lines;
  };
  editor->grab();  // one paint
  EXPECT_TRUE(commentsStyled()) << "styled at the first paint";
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return editor->Send(QsciScintillaBase::SCI_GETENDSTYLED) >=
               editor->Send(QsciScintillaBase::SCI_GETLENGTH);
      },
      60000));
  editor->grab();
  EXPECT_TRUE(commentsStyled()) << "and once the idle styling has come";
}

// An exception from the core while the window changes the document (injected: the document's
// listener throws, the second time something that is no std::exception) is reported, and the
// window goes on with the screen showing the document.
TEST_F(EditorTest, AnExceptionFromTheCoreAtAnEventEdgeIsReported) {
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Unit1.pas"), kUnit);
  ASSERT_NE(editor, nullptr);
  int thrown = 0;
  editor->View()->GetDocument().SetChangeListener(
      [&thrown](zeb::Document&, const zeb::TextChange&) {
        if (thrown++ == 0) throw std::runtime_error("injected");
        throw 42;
      });
  QTest::keyClicks(editor, QStringLiteral("x"));  // the text change the key makes
  QApplication::processEvents();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains(QStringLiteral("Changing the text of Unit1.pas failed")) &&
              messages[0].contains(QStringLiteral("injected")))
      << messages[0].toStdString();
  EXPECT_TRUE(editor->InStep());
  window->Action(QStringLiteral("Undo"))->trigger();  // a menu command
  ASSERT_EQ(messages.size(), 2);
  EXPECT_TRUE(messages[1].contains(QStringLiteral("The command Undo failed")))
      << messages[1].toStdString();
  EXPECT_TRUE(editor->InStep());
  editor->View()->GetDocument().SetChangeListener({});
  QTest::keyClick(editor, Qt::Key_Home, Qt::ControlModifier);
  QTest::keyClicks(editor, QStringLiteral("y"));
  EXPECT_EQ(DocumentBytes(*editor), QByteArray("y") + kUnit) << "the window goes on";
  EXPECT_EQ(Shown(*editor).toUtf8(), DocumentBytes(*editor));
  EXPECT_EQ(messages.size(), 2);
}

}  // namespace
