// The File menu as a user drives it: new documents and new files, files named with a place on
// the command line, Save All, and the one question before several documents close.
#include <QLabel>
#include <QMessageBox>
#include <QTabWidget>

#include "ide/qt/FileArguments.h"
#include "ide/qt/FileCommands.h"
#include "tests/qt/WindowFixture.h"

namespace {

using zeb::EditorWidget;
using zeb::TextPos;
using zeb::test::kUnit;
using zeb::test::WindowTest;

using FileCommandsTest = WindowTest;

QStringList TabTitles(const QTabWidget& tabs) {
  QStringList titles;
  for (int i = 0; i < tabs.count(); ++i)
    titles << tabs.tabText(i);
  return titles;
}

TEST_F(FileCommandsTest, NewFilesAreMadeAtTheirFirstSaveWhereAsked) {
  // A file named on the command line that does not exist yet.
  const QString named = dir.filePath(QStringLiteral("new.pas"));
  EditorWidget* editor = window->Files().OpenAt({named.toStdString(), 0, 0});
  ASSERT_NE(editor, nullptr) << messages.join('\n').toStdString();
  EXPECT_FALSE(QFile::exists(named)) << "nothing is made before a save";
  EXPECT_EQ(TabTitles(*window->Tabs()), QStringList{QStringLiteral("new.pas")});
  QTest::keyClicks(editor, QStringLiteral("unit New;"));
  ASSERT_TRUE(window->Save());
  EXPECT_EQ(Read(named), QByteArray("unit New;"));

  // File -> New: untitled, numbered, saved where the user says.
  QTest::keyClick(editor, Qt::Key_N, Qt::ControlModifier);
  EditorWidget* first = window->CurrentEditor();
  ASSERT_NE(first, editor);
  window->NewFile();
  EditorWidget* second = window->CurrentEditor();
  EXPECT_EQ(TabTitles(*window->Tabs()),
            (QStringList{QStringLiteral("new.pas"), QStringLiteral("Untitled 1"),
                         QStringLiteral("Untitled 2")}));
  QStringList asked;
  window->onAskSavePath = [&](const QString& start) {
    asked << start;
    return dir.filePath(QStringLiteral("Named.cpp"));
  };
  QTest::keyClicks(second, QStringLiteral("int x;"));
  QTest::keyClick(second, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(asked, QStringList{dir.path()}) << "Save As starts in the folder used last";
  EXPECT_EQ(Read(dir.filePath(QStringLiteral("Named.cpp"))), QByteArray("int x;"));
  EXPECT_EQ(TabTitles(*window->Tabs()).last(), QStringLiteral("Named.cpp"));
  EXPECT_TRUE(second->lexer() != nullptr) << "a C++ file now";

  // An untitled document with nothing in it closes without a question; its number is free.
  window->onAskSave = [](const QString& name) -> int {
    ADD_FAILURE() << name.toStdString();
    return QMessageBox::Cancel;
  };
  EXPECT_TRUE(window->CloseTab(window->Tabs()->indexOf(first->parentWidget())));
  window->NewFile();
  EXPECT_EQ(window->Tabs()->tabText(window->Tabs()->currentIndex()), QStringLiteral("Untitled 1"));
  // A window gone takes its numbers with it (its documents' places in memory taken by others).
  window.reset();
  window = std::make_unique<zeb::MainWindow>();
  Start();
  window->OpenFile(named);
  window->NewFile();
  EXPECT_EQ(window->Tabs()->tabText(1), QStringLiteral("Untitled 1"));

  // A name that a folder has, or in a folder that is not there, is refused with the reason.
  for (const char* bad : {"", "no folder/x.pas"}) {
    messages.clear();
    const QString path = dir.filePath(QLatin1String(bad));
    EXPECT_EQ(window->Files().OpenAt({path.toStdString(), 0, 0}), nullptr) << bad;
    ASSERT_EQ(messages.size(), 1) << bad;
    EXPECT_TRUE(messages[0].contains(path)) << messages[0].toStdString();
  }
}

// zeb-ide FILE:LINE[:COLUMN] and +LINE FILE, through the command line's reading.
TEST_F(FileCommandsTest, FilesNamedWithAPlaceOpenThere) {
  const QString lines = Write(QStringLiteral("Lines.pas"), "one\n\tabc\nthree\nfour\n");
  const QString colon = Write(QStringLiteral("a:1"), "x\ny\n");
  const struct {
    std::vector<QString> arguments;
    QString file;
    TextPos cursor;
  } cases[] = {
      {{lines + QStringLiteral(":3")}, lines, {3, 1}},
      {{lines + QStringLiteral(":3:4")}, lines, {3, 4}},
      {{lines + QStringLiteral(":2:10")}, lines, {2, 3}},  // after the tab, drawn to column 9
      {{lines + QStringLiteral(":2:99")}, lines, {2, 5}},  // past the end: the line's end
      {{lines + QStringLiteral(":99")}, lines, {5, 1}},    // the last line
      {{QStringLiteral("+4"), lines}, lines, {4, 1}},
      {{colon}, colon, {1, 1}},  // a file whose name holds a colon is that file
      {{colon + QStringLiteral(":2")}, colon, {2, 1}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments;
    for (const QString& argument : c.arguments)
      arguments.push_back(argument.toStdString());
    std::string error;
    const auto files = zeb::ReadFileArguments(
        arguments,
        [](const std::string& name) { return QFile::exists(QString::fromStdString(name)); }, error);
    ASSERT_TRUE(files && files->size() == 1) << error;
    EditorWidget* editor = window->Files().OpenAt(files->front());
    ASSERT_NE(editor, nullptr) << messages.join('\n').toStdString();
    EXPECT_EQ(QString::fromStdString(editor->View()->GetDocument().Path()), c.file);
    EXPECT_EQ(editor->View()->Cursor(), c.cursor) << arguments.back();
    EXPECT_TRUE(editor->InStep());
    editor->View()->SetCursor({1, 1});
    editor->SyncSelectionFromView();
  }
  EXPECT_EQ(window->Tabs()->count(), 2);
}

// Save All, and the question asked once for several documents: Save All, Discard All or Cancel.
TEST_F(FileCommandsTest, SeveralModifiedDocumentsAreAskedAboutOnce) {
  const struct {
    int answer;
    bool closes;
    bool saved;
  } cases[] = {
      {QMessageBox::Cancel, false, false},
      {QMessageBox::Discard, true, false},
      {QMessageBox::Save, true, true},
  };
  for (const auto& c : cases) {
    std::vector<EditorWidget*> editors;
    for (const char* name : {"A.pas", "B.pas", "C.pas"})
      editors.push_back(window->OpenFile(Write(QLatin1String(name), kUnit)));
    ASSERT_EQ(window->Tabs()->count(), 3);
    QTest::keyClicks(editors[0], QStringLiteral("a"));
    QTest::keyClicks(editors[2], QStringLiteral("c"));
    window->SplitView();  // C in two panes is still one document
    QStringList asked;
    window->onAskSaveAll = [&](const QStringList& names) {
      asked = names;
      return c.answer;
    };
    window->onAskSave = [](const QString& name) -> int {
      ADD_FAILURE() << "asked alone about " << name.toStdString();
      return QMessageBox::Cancel;
    };
    EXPECT_EQ(window->close(), c.closes) << c.answer;
    EXPECT_EQ(asked, (QStringList{QStringLiteral("A.pas"), QStringLiteral("C.pas")}));
    EXPECT_EQ(Read(dir.filePath(QStringLiteral("A.pas"))),
              c.saved ? "a" + QByteArray(kUnit) : QByteArray(kUnit));
    EXPECT_EQ(Read(dir.filePath(QStringLiteral("B.pas"))), QByteArray(kUnit));
    EXPECT_EQ(Read(dir.filePath(QStringLiteral("C.pas"))),
              c.saved ? "c" + QByteArray(kUnit) : QByteArray(kUnit));
    window.reset();
    window = std::make_unique<zeb::MainWindow>();
    Start();
  }

  // Save All saves the modified documents, an untitled one under the name the user gives it;
  // Close Others asks only about the others.
  EditorWidget* a = window->OpenFile(Write(QStringLiteral("A.pas"), kUnit));
  window->OpenFile(Write(QStringLiteral("B.pas"), kUnit));
  QTest::keyClicks(a, QStringLiteral("a"));
  window->NewFile();
  QTest::keyClicks(window->CurrentEditor(), QStringLiteral("u"));
  window->onAskSavePath = [&](const QString&) { return dir.filePath(QStringLiteral("U.pas")); };
  ASSERT_TRUE(window->SaveAll());
  EXPECT_EQ(Read(dir.filePath(QStringLiteral("A.pas"))), "a" + QByteArray(kUnit));
  EXPECT_EQ(Read(dir.filePath(QStringLiteral("U.pas"))), QByteArray("u"));
  QTest::keyClicks(a, QStringLiteral("b"));
  QStringList asked;
  window->onAskSave = [&](const QString& name) {
    asked << name;
    return static_cast<int>(QMessageBox::Discard);
  };
  EXPECT_TRUE(window->CloseOthers(2));
  EXPECT_EQ(asked, QStringList{QStringLiteral("A.pas")});
  EXPECT_EQ(TabTitles(*window->Tabs()), QStringList{QStringLiteral("U.pas")});
  EXPECT_TRUE(window->CloseAll());
  EXPECT_TRUE(window->Hint()->isVisible()) << "with no file open, the hint";
}

}  // namespace
