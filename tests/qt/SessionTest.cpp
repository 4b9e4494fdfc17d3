// The window remembers itself: its size, and the files open with their panes' cursors and split,
// reopened when it starts without files; without any, a hint.
#include <QLabel>
#include <QSplitter>
#include <QTabWidget>

#include "ide/qt/FileDialogs.h"
#include "ide/qt/Session.h"
#include "tests/qt/WindowFixture.h"

namespace {

using zeb::EditorWidget;
using zeb::TextPos;
using zeb::test::kUnit;
using zeb::test::WindowTest;

using SessionTest = WindowTest;

TEST_F(SessionTest, TheFilesOpenTheirCursorsAndTheSplitAreReopened) {
  QByteArray lines;
  for (int i = 1; i <= 200; ++i)
    lines += "line " + QByteArray::number(i) + "\n";
  EditorWidget* unit = window->OpenFile(Write(QStringLiteral("Unit1.pas"), kUnit));
  window->OpenFile(Write(QStringLiteral("Gone.pas"), "x\n"));
  window->NewFile();  // untitled: nothing to reopen
  EditorWidget* big = window->OpenFile(Write(QStringLiteral("Lines.cpp"), lines));
  ASSERT_TRUE(unit && big);
  window->resize(700, 500);
  window->GoToLine(150, 3);
  window->SplitView();
  window->GoToLine(20, 2);
  auto* split = qobject_cast<QSplitter*>(window->Tabs()->widget(3));
  split->setSizes({600, 300});
  const QList<int> sizes = split->sizes();
  unit->View()->SetCursor({3, 5});
  unit->SyncSelectionFromView();
  const QSize size = window->size();

  Restart();
  QFile::remove(dir.filePath(QStringLiteral("Gone.pas")));
  EXPECT_EQ(window->size(), size);
  ASSERT_EQ(zeb::ReopenSession(*window), 2);
  ASSERT_EQ(window->Tabs()->count(), 2);
  EXPECT_EQ(window->Tabs()->tabText(0), QStringLiteral("Unit1.pas"));
  EXPECT_EQ(window->Tabs()->currentIndex(), 1) << "the tab in front";
  const std::vector<EditorWidget*> panes = window->PanesOf(1);
  ASSERT_EQ(panes.size(), 2u);
  EXPECT_EQ(panes[0]->View()->Cursor(), (TextPos{150, 3}));
  EXPECT_EQ(panes[1]->View()->Cursor(), (TextPos{20, 2}));
  const long top = panes[0]->Send(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
  EXPECT_TRUE(top < 149 && top + panes[0]->Send(QsciScintillaBase::SCI_LINESONSCREEN) > 149)
      << "the cursor's line on screen, first line " << top;
  EXPECT_EQ(qobject_cast<QSplitter*>(window->Tabs()->widget(1))->sizes(), sizes);
  EXPECT_EQ(window->PanesOf(0).front()->View()->Cursor(), (TextPos{3, 5}));
  EXPECT_EQ(zeb::LastFolder(), dir.path()) << "where the Open dialog starts";

  // Nothing open when it closed: nothing reopens, and the window says what to do.
  ASSERT_TRUE(window->CloseAll());
  Restart();
  EXPECT_EQ(zeb::ReopenSession(*window), 0);
  EXPECT_TRUE(window->Hint()->isVisible());
  EXPECT_TRUE(window->Hint()->text().contains(QStringLiteral("Ctrl+N")));
}

}  // namespace
