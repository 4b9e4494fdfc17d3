// The window and the files it shows, changed by another program while they are open: reloaded
// when the document has no changes, a bar when it has, saving that asks before it overwrites, a
// file deleted reported and written again; and Save As, which keeps the document as it is.
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>

#include "ide/qt/DiskChangeBar.h"
#include "ide/qt/DiskWatch.h"
#include "tests/qt/WindowFixture.h"

namespace {

using zeb::EditorWidget;
using zeb::test::kUnit;
using zeb::test::WindowTest;

class DiskTest : public WindowTest {
 protected:
  // Waits for the window to see what another program did to the files.
  static bool Eventually(const std::function<bool()>& condition) {
    return QTest::qWaitFor(condition, 5000);
  }
  QString Notice(EditorWidget& editor) {
    return window->Disk().NoticeOf(editor.View()->GetDocument());
  }
  zeb::DiskChangeBar* Bar() { return window->findChild<zeb::DiskChangeBar*>(); }
};

TEST_F(DiskTest, AFileWithoutChangesHereTakesTheNewTextKeepingTheCursor) {
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Unit1.pas"), kUnit);
  ASSERT_NE(editor, nullptr);
  SelectLines(*editor, 4, 4);
  QTest::keyClick(editor, Qt::Key_Left);  // line 4, then right three times: column 4
  QTest::keyClick(editor, Qt::Key_Home);
  for (int i = 0; i < 3; ++i)
    QTest::keyClick(editor, Qt::Key_Right);
  ASSERT_EQ(editor->View()->Cursor(), (zeb::TextPos{4, 4}));
  const QByteArray changed =
      "unit Unit1;\n// a note\ninterface\nprocedure A;\nimplementation\nend.\n";
  Write(QStringLiteral("Unit1.pas"), changed);
  ASSERT_TRUE(Eventually([&] { return DocumentBytes(*editor) == changed; }));
  EXPECT_TRUE(editor->InStep());
  EXPECT_FALSE(editor->View()->GetDocument().Modified());
  EXPECT_EQ(editor->View()->Cursor(), (zeb::TextPos{4, 4})) << "the line and column stay";
  EXPECT_TRUE(Notice(*editor).isEmpty());
  EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
  // The reload is a step: undo gives back the text as it was.
  window->Undo();
  EXPECT_EQ(DocumentBytes(*editor), QByteArray(kUnit));
}

TEST_F(DiskTest, AFileWithChangesHereKeepsThemAndSavingAsksBeforeOverwriting) {
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Unit1.pas"), kUnit);
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, QStringLiteral("x"));
  const QByteArray theirs = QByteArray(kUnit) + "// appended\n";
  Write(QStringLiteral("Unit1.pas"), theirs);
  ASSERT_TRUE(Eventually([&] { return !Bar()->Text().isEmpty(); }));
  EXPECT_TRUE(Bar()->Text().contains(QStringLiteral("Unit1.pas was changed on disk")))
      << Bar()->Text().toStdString();
  EXPECT_EQ(DocumentBytes(*editor), QByteArray("x") + kUnit) << "nothing of ours is lost";
  SaveScreenshot(*window, QStringLiteral("window-changed-on-disk.png"));

  QTest::mouseClick(Bar()->KeepButton(), Qt::LeftButton);
  EXPECT_TRUE(Bar()->isHidden());
  QStringList asked;
  int answer = QMessageBox::Cancel;
  window->onAskOverwrite = [&](const QString& name) {
    asked << name;
    return answer;
  };
  EXPECT_FALSE(window->Save());
  EXPECT_EQ(Read(dir.filePath(QStringLiteral("Unit1.pas"))), theirs) << "refused: theirs stays";
  answer = QMessageBox::Save;
  EXPECT_TRUE(window->Save());
  EXPECT_EQ(asked, (QStringList{QStringLiteral("Unit1.pas"), QStringLiteral("Unit1.pas")}));
  EXPECT_EQ(Read(dir.filePath(QStringLiteral("Unit1.pas"))), QByteArray("x") + kUnit);

  // Changed once more: Reload takes their text, as a step that can be undone.
  QTest::keyClicks(editor, QStringLiteral("y"));
  Write(QStringLiteral("Unit1.pas"), theirs);
  ASSERT_TRUE(Eventually([&] { return !Bar()->Text().isEmpty(); }));
  QTest::mouseClick(Bar()->ReloadButton(), Qt::LeftButton);
  EXPECT_EQ(DocumentBytes(*editor), theirs);
  EXPECT_FALSE(editor->View()->GetDocument().Modified());
  EXPECT_TRUE(Bar()->isHidden());
  window->Undo();
  EXPECT_EQ(DocumentBytes(*editor), QByteArray("xy") + kUnit);
  EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(DiskTest, AFileDeletedIsReportedAndSavingWritesItAgain) {
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Unit1.pas"), kUnit);
  ASSERT_NE(editor, nullptr);
  const QString path = dir.filePath(QStringLiteral("Unit1.pas"));
  ASSERT_TRUE(QFile::rename(path, dir.filePath(QStringLiteral("Moved.pas"))));
  ASSERT_TRUE(Eventually([&] { return !Bar()->Text().isEmpty(); }));
  EXPECT_TRUE(Bar()->Text().contains(QStringLiteral("deleted or moved away")));
  EXPECT_TRUE(Bar()->ReloadButton()->isHidden());
  // Closing asks, though nothing was typed: the text is nowhere else.
  QStringList asked;
  window->onAskSave = [&](const QString& name) {
    asked << name;
    return static_cast<int>(QMessageBox::Cancel);
  };
  EXPECT_FALSE(window->CloseCurrent());
  EXPECT_EQ(asked.size(), 1);
  EXPECT_TRUE(window->Save());
  EXPECT_EQ(Read(path), QByteArray(kUnit));
  EXPECT_TRUE(Eventually([&] { return Bar()->isHidden(); }));
  EXPECT_TRUE(window->CloseCurrent());
  EXPECT_EQ(asked.size(), 1);
}

TEST_F(DiskTest, SaveAsKeepsTheHistoryTheCursorAndTheTabsPlace) {
  window->OpenFile(Write(QStringLiteral("First.pas"), "first\n"));
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Unit1.txt"), kUnit);
  window->OpenFile(Write(QStringLiteral("Last.pas"), "last\n"));
  ASSERT_NE(editor, nullptr);
  window->Tabs()->setCurrentIndex(1);
  editor->setFocus();
  QTest::keyClick(editor, Qt::Key_Down);
  QTest::keyClick(editor, Qt::Key_End);
  QTest::keyClicks(editor, QStringLiteral("x"));
  const zeb::TextPos cursor = editor->View()->Cursor();
  const QString renamed = dir.filePath(QStringLiteral("Renamed.pas"));
  window->onAskSavePath = [&](const QString&) { return renamed; };
  ASSERT_TRUE(window->SaveAs());
  EXPECT_EQ(window->Tabs()->currentIndex(), 1);
  EXPECT_EQ(window->Tabs()->tabText(1), QStringLiteral("Renamed.pas"));
  EXPECT_EQ(window->CurrentEditor(), editor) << "the same pane";
  EXPECT_EQ(editor->View()->Cursor(), cursor);
  EXPECT_EQ(Read(renamed), "unit Unit1;\ninterfacex\nprocedure A;\nimplementation\nend.\n");
  EXPECT_NE(editor->lexer(), nullptr) << "a .pas file is highlighted as Pascal";
  window->Undo();
  EXPECT_EQ(DocumentBytes(*editor), QByteArray(kUnit));
  EXPECT_EQ(window->Tabs()->tabText(1), QStringLiteral("Renamed.pas *"));
  // Saving again writes the new file, not the old one.
  EXPECT_TRUE(window->Save());
  EXPECT_EQ(Read(renamed), QByteArray(kUnit));
  EXPECT_EQ(Read(dir.filePath(QStringLiteral("Unit1.txt"))), QByteArray(kUnit));
  // A name another open document has is refused.
  window->onAskSavePath = [&](const QString&) { return dir.filePath(QStringLiteral("Last.pas")); };
  EXPECT_FALSE(window->SaveAs());
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains(QStringLiteral("is open already"))) << messages[0].toStdString();
}

}  // namespace
