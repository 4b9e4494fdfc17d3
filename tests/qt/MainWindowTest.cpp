// The IDE window driven as a user drives it: key presses and mouse drags on the real editor,
// with the add-in package loaded.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>
#include <memory>
#include <tuple>

#include <dlfcn.h>
#include <sys/stat.h>

#include "ide/app/Ide.h"
#include "ide/qt/DocumentScreen.h"
#include "ide/qt/EditorWidget.h"
#include "ide/qt/FindBar.h"
#include "ide/qt/FormDialog.h"
#include "ide/qt/MainWindow.h"
#include "ide/qt/TabCommands.h"
#include "ide/qt/TracePanel.h"
#include "tests/qt/WindowFixture.h"
#include "trace/ZebTrace.h"
#include "trace/uTrace.h"
#include "viewer/window/TraceView.h"

namespace {

using zeb::EditorWidget;
using zeb::FormDialog;
using zeb::MainWindow;
using zeb::test::kUnit;
using zeb::test::WindowTest;

TEST_F(WindowTest, TabIndentsASelectionInAPascalFileByTwoAndShiftTabUndoesIt) {
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Unit1.pas"), kUnit);
  ASSERT_NE(editor, nullptr);
  SelectLines(*editor, 2, 4);
  const std::size_t steps = editor->View()->GetDocument().History().UndoCount();

  QTest::keyClick(editor, Qt::Key_Tab);
  const QByteArray indented = "unit Unit1;\n  interface\n  procedure A;\n  implementation\nend.\n";
  EXPECT_EQ(DocumentBytes(*editor), indented);
  EXPECT_EQ(Shown(*editor).toUtf8(), indented) << "the screen shows the document";
  EXPECT_EQ(editor->View()->GetDocument().History().UndoCount(), steps + 1) << "one undo step";
  EXPECT_NE(editor->Anchor(), editor->Caret()) << "the block still covers the lines";
  SaveScreenshot(*window, QStringLiteral("window-indented.png"));

  QTest::keyClick(editor, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(DocumentBytes(*editor), kUnit);
  EXPECT_EQ(Shown(*editor).toUtf8(), QByteArray(kUnit));
  EXPECT_EQ(editor->View()->GetDocument().History().UndoCount(), steps + 2);

  QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);  // undo the unindent
  EXPECT_EQ(DocumentBytes(*editor), indented);
  EXPECT_EQ(Shown(*editor).toUtf8(), indented);
  QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);  // and the indent
  EXPECT_EQ(DocumentBytes(*editor), kUnit);
  EXPECT_EQ(Shown(*editor).toUtf8(), QByteArray(kUnit));
}

TEST_F(WindowTest, MouseSelectionInACppFileIndentsByFour) {
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Main.cpp"), "int a;\nint b;\nint c;\n");
  ASSERT_NE(editor, nullptr);
  const QPoint from = PointAt(*editor, 0);
  const QPoint to = PointAt(*editor, editor->PositionOf({3, 1}));
  QTest::mousePress(editor->viewport(), Qt::LeftButton, Qt::NoModifier, from);
  QTest::mouseMove(editor->viewport(), to);
  QTest::mouseRelease(editor->viewport(), Qt::LeftButton, Qt::NoModifier, to);
  ASSERT_TRUE(editor->View()->HasBlock()) << "the mouse selection is the view's block";

  QTest::keyClick(editor, Qt::Key_Tab);
  EXPECT_EQ(DocumentBytes(*editor), "    int a;\n    int b;\nint c;\n");
  EXPECT_EQ(Shown(*editor), QStringLiteral("    int a;\n    int b;\nint c;\n"));
  // The status bar says what the IDE knows, not how an add-in indents.
  EXPECT_TRUE(window->StatusText().endsWith(QStringLiteral("| Tab 8 | UTF-8 | LF | Modified")))
      << window->StatusText().toStdString();
}

TEST_F(WindowTest, TabWithoutASelectionInsertsATab) {
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Unit1.pas"), kUnit);
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_Home, Qt::ControlModifier);
  QTest::keyClick(editor, Qt::Key_Tab);
  EXPECT_EQ(DocumentBytes(*editor), QByteArray("\t") + kUnit);
  EXPECT_EQ(Shown(*editor).left(5), QStringLiteral("\tunit"));
  // The column counts characters as drawn, the byte column beside it where they differ.
  EXPECT_TRUE(window->StatusText().startsWith(QStringLiteral("Ln 1, Col 9 (byte 2) |")))
      << window->StatusText().toStdString();
  QTest::keyClick(editor, Qt::Key_Backtab, Qt::ShiftModifier);  // no block: nothing happens
  EXPECT_EQ(DocumentBytes(*editor), QByteArray("\t") + kUnit);
}

TEST_F(WindowTest, AltAndAMenusLetterOpensTheMenuAndTypesNothing) {
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Unit1.pas"), kUnit);
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_T, Qt::AltModifier);
  QAction* open = window->menuBar()->activeAction();
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->text(), QStringLiteral("&Tools"));
  QTest::keyClick(open->menu(), Qt::Key_Escape);
  QTest::keyClick(window->menuBar(), Qt::Key_Escape);
  QTest::keyClick(editor, Qt::Key_Q, Qt::AltModifier);  // no menu has Q
  EXPECT_EQ(DocumentBytes(*editor), QByteArray(kUnit));
}

TEST_F(WindowTest, CtrlAltUOpensTheInformationDialogWithTheReport) {
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Unit1.pas"), kUnit);
  ASSERT_NE(editor, nullptr);
  QStringList lines;
  QSize size;
  QRect memoGeometry;
  window->Presenter().onShown = [&](FormDialog& dialog) {
    size = dialog.size();
    memoGeometry = dialog.Memos()[0]->geometry();
    lines = dialog.Memos()[0]->toPlainText().split(QLatin1Char('\n'));
    dialog.close();
  };
  QTest::keyClick(editor, Qt::Key_U, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(size, QSize(782, 462));
  EXPECT_EQ(memoGeometry, QRect(8, 24, 766, 417));
  ASSERT_GE(lines.size(), 28);
  EXPECT_EQ(lines[0], QStringLiteral("IOTAServices.GetProductIdentifier : ZebIDE"));
  EXPECT_TRUE(lines.contains(QStringLiteral("CurrentModule.Editor.Modified : false")));
  EXPECT_TRUE(lines.contains(QStringLiteral("SourceEditor.Filename : ") +
                             QDir(dir.path()).filePath(QStringLiteral("Unit1.pas"))));
  EXPECT_EQ(lines.last(), QStringLiteral("EditView.Position.LastRow : 6"));
  EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
  EXPECT_EQ(DocumentBytes(*editor), kUnit) << "the key inserted nothing";
}

TEST_F(WindowTest, TypingIsWhatTheAddinReadsNext) {
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Unit1.pas"), kUnit);
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_End);
  QTest::keyClicks(editor, QStringLiteral(" { note }"));
  // Hangul through the input method, committed as a user's IME commits it.
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("한글"));
  QApplication::sendEvent(editor, &commit);
  EXPECT_EQ(DocumentBytes(*editor).left(26),
            QByteArray("unit Unit1; { note }\xED\x95\x9C\xEA\xB8\x80"));

  QStringList lines;
  window->Presenter().onShown = [&](FormDialog& dialog) {
    lines = dialog.Memos()[0]->toPlainText().split(QLatin1Char('\n'));
    dialog.close();
  };
  QTest::keyClick(editor, Qt::Key_U, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_TRUE(lines.contains(QStringLiteral("CurrentModule.Editor.Modified : true")))
      << lines.join('\n').toStdString();
  // The cursor column counts bytes: 20 ASCII bytes then two 3-byte syllables.
  EXPECT_TRUE(lines.contains(QStringLiteral("EditView.CursorPos.Col : 27")))
      << lines.join('\n').toStdString();
}

TEST_F(WindowTest, SaveWritesTheScreensTextAndCloseAsksFirst) {
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Main.h"), "a\r\nb\r\n");
  ASSERT_NE(editor, nullptr);
  const QString path = QDir(dir.path()).filePath(QStringLiteral("Main.h"));
  QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
  QTest::keyClicks(editor, QStringLiteral("c"));
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_TRUE(window->StatusText().contains(QStringLiteral("Modified")));

  QStringList asked;
  window->onAskSave = [&](const QString& name) {
    asked << name;
    return static_cast<int>(QMessageBox::Cancel);
  };
  EXPECT_FALSE(window->CloseCurrent());
  EXPECT_EQ(asked, QStringList{QStringLiteral("Main.h")});
  EXPECT_EQ(window->Tabs()->count(), 1);

  EXPECT_TRUE(window->Save());
  EXPECT_EQ(Read(path), QByteArray("a\r\nb\r\nc\r\n")) << "new lines take the file's line end";
  EXPECT_FALSE(window->StatusText().contains(QStringLiteral("Modified")));
  EXPECT_TRUE(window->CloseCurrent());
  EXPECT_EQ(asked.size(), 1) << "a saved file closes without asking";
  EXPECT_EQ(window->Tabs()->count(), 0);
}

TEST_F(WindowTest, QuittingAsksOnceForAModifiedFileShownInTwoViews) {
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Main.h"), "a\n");
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, QStringLiteral("b"));
  window->SplitView();
  ASSERT_EQ(window->PanesOf(0).size(), 2u);
  QStringList asked;
  window->onAskSave = [&](const QString& name) {
    asked << name;
    return static_cast<int>(QMessageBox::Cancel);
  };
  EXPECT_FALSE(window->close()) << "cancelled: the window stays";
  EXPECT_EQ(asked, QStringList{QStringLiteral("Main.h")});
  window->onAskSave = [&](const QString& name) {
    asked << name;
    return static_cast<int>(QMessageBox::Save);
  };
  EXPECT_TRUE(window->close());
  EXPECT_EQ(asked.size(), 2);
  EXPECT_EQ(Read(dir.filePath(QStringLiteral("Main.h"))), QByteArray("ba\n"));
}

TEST_F(WindowTest, FilesThatCannotBeReadOrWrittenAreReportedAndNothingIsLost) {
  // The message box says what the IDE said: the file and the reason. A FIFO and a device are
  // refused before anything is read, so opening them cannot hang.
  const QDir folder(dir.path());
  folder.mkdir(QStringLiteral("Folder.pas"));
  ASSERT_EQ(::mkfifo(folder.filePath(QStringLiteral("Pipe.pas")).toLocal8Bit().constData(), 0600),
            0);
  for (const auto& [name, reason] :
       {std::pair{"missing.pas", "No such file"}, std::pair{"Folder.pas", "Is a directory"},
        std::pair{"Pipe.pas", "not a regular file"},
        std::pair{"/dev/zero", "not a regular file"}}) {
    messages.clear();
    EXPECT_EQ(window->OpenFile(folder.filePath(QLatin1String(name))), nullptr);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QLatin1String(name)) &&
                messages[0].contains(QLatin1String(reason)))
        << messages[0].toStdString();
    EXPECT_EQ(window->Tabs()->count(), 0);
  }

  EditorWidget* editor = OpenWithAddin(QStringLiteral("Unit1.pas"), kUnit);
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, QStringLiteral("x"));
  // The folder becomes read-only: the save must fail, say why, and keep both texts.
  QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
  const bool root = QFile(dir.filePath(QStringLiteral("probe"))).open(QIODevice::WriteOnly);
  if (!root) {
    EXPECT_FALSE(window->Save());
    EXPECT_TRUE(messages.last().contains(QStringLiteral("Cannot save")))
        << messages.last().toStdString();
    EXPECT_EQ(Read(dir.filePath(QStringLiteral("Unit1.pas"))), QByteArray(kUnit));
    EXPECT_EQ(DocumentBytes(*editor), QByteArray("x") + kUnit);
  }
  QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  QFile::remove(dir.filePath(QStringLiteral("probe")));
}

TEST_F(WindowTest, AnAddinFaultIsReportedAndTheKeyIsConsumed) {
  ASSERT_TRUE(window->LoadPackage(QStringLiteral(ZEB_KEYTHROWS_PATH)));
  EditorWidget* editor = window->OpenFile(Write(QStringLiteral("Main.cpp"), "x\n"));
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_Tab);
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains(QStringLiteral("EInvalidOperation")))
      << messages[0].toStdString();
  EXPECT_TRUE(messages[0].contains(QStringLiteral("Tab is broken in this package")));
  EXPECT_EQ(DocumentBytes(*editor), "x\n") << "nothing further happened for the key";
  QTest::keyClicks(editor, QStringLiteral("y"));
  EXPECT_EQ(DocumentBytes(*editor), "yx\n") << "the IDE goes on";
}

TEST_F(WindowTest, SplitPanesEditedInTurnStayEqualToTheDocument) {
  EditorWidget* first = OpenWithAddin(QStringLiteral("Unit1.pas"), kUnit);
  ASSERT_NE(first, nullptr);
  window->SplitView();
  ASSERT_EQ(window->Tabs()->count(), 1) << "the split is in the same tab";
  ASSERT_EQ(window->PanesOf(0).size(), 2u);
  EditorWidget* second = window->CurrentEditor();
  ASSERT_NE(second, first);
  for (int round = 0; round < 2; ++round)
    for (EditorWidget* pane : {second, first}) {
      pane->setFocus();
      SelectLines(*pane, 1, 2);
      QTest::keyClick(pane, Qt::Key_Tab);  // a block command through this pane's view
      QTest::keyClick(pane, Qt::Key_End, Qt::ControlModifier);
      QTest::keyClicks(pane, QStringLiteral("z"));  // and typing
      ASSERT_EQ(Shown(*first).toUtf8(), DocumentBytes(*first));
      ASSERT_TRUE(first->InStep() && second->InStep());
    }
  EXPECT_TRUE(DocumentBytes(*first).startsWith("        unit Unit1;\n        interface\n"));
  EXPECT_TRUE(DocumentBytes(*first).endsWith("end.\nzzzz"));

  // Closing the first pane keeps the other, which goes on editing the document.
  window->ClosePane();
  ASSERT_EQ(window->PanesOf(0).size(), 1u);
  EditorWidget* left = window->PanesOf(0).front();
  EXPECT_EQ(left, second);
  QTest::keyClick(left, Qt::Key_End, Qt::ControlModifier);
  QTest::keyClicks(left, QStringLiteral("w"));
  EXPECT_TRUE(DocumentBytes(*left).endsWith("zzzzw"));
  EXPECT_TRUE(left->InStep());
  EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

// Redo by either key, and a run of typed characters undone as one step.
TEST_F(WindowTest, TypingIsOneUndoStepAndBothRedoKeysRedoIt) {
  ASSERT_TRUE(window->LoadPackage(QStringLiteral(ZEB_ADDIN_PATH)));
  for (const QKeyCombination redo : {Qt::CTRL | Qt::Key_Y, Qt::CTRL | Qt::SHIFT | Qt::Key_Z}) {
    EditorWidget* editor = window->OpenFile(Write(QStringLiteral("Unit1.pas"), kUnit));
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("abc"));
    QTest::keyClick(editor, Qt::Key_Left);  // a cursor move ends the run
    QTest::keyClicks(editor, QStringLiteral("d"));
    EXPECT_EQ(DocumentBytes(*editor), QByteArray("abdc") + kUnit);
    QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(DocumentBytes(*editor), QByteArray("abc") + kUnit);
    QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(DocumentBytes(*editor), QByteArray(kUnit)) << "the run of three is one step";
    QTest::keyClick(editor, redo.key(), redo.keyboardModifiers());
    EXPECT_EQ(DocumentBytes(*editor), QByteArray("abc") + kUnit);
    EXPECT_EQ(Shown(*editor).toUtf8(), DocumentBytes(*editor));
    window->onAskSave = [](const QString&) { return static_cast<int>(QMessageBox::Discard); };
    window->CloseCurrent();
  }
  EXPECT_TRUE(window->Action(QStringLiteral("Redo"))
                  ->shortcuts()
                  .contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
}

TEST_F(WindowTest, CopiedTextIsTheTextShown) {
  for (const auto& [name, bytes, shown] :
       {std::tuple{"Utf8.pas", "s := '\xED\x95\x9C';\n", QStringLiteral("s := '한';\n")},
        std::tuple{"Latin1.pas", "s := '\xE9';\n", QStringLiteral("s := 'é';\n")}}) {
    EditorWidget* editor = window->OpenFile(Write(QLatin1String(name), bytes));
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), shown) << name;
  }
}

TEST_F(WindowTest, ACodePage949FileIsShownAsKoreanAndSavedByteExact) {
  const QByteArray original = "s := '\xC7\xD1\xB1\xDB';\r\nx\r\n";
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Han.pas"), original);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->Screen().Encoding(), zeb::ScreenEncoding::Cp949);
  EXPECT_TRUE(Shown(*editor).startsWith(QStringLiteral("s := '한글';")))
      << Shown(*editor).toStdString();
  EXPECT_TRUE(window->StatusText().contains(QStringLiteral("Korean (CP949) | CRLF")));
  QTest::keyClick(editor, Qt::Key_Down);
  QTest::keyClick(editor, Qt::Key_End);
  QTest::keyClicks(editor, QStringLiteral("y"));
  SelectLines(*editor, 1, 1);
  QTest::keyClick(editor, Qt::Key_Tab);
  ASSERT_TRUE(window->Save());
  EXPECT_EQ(Read(dir.filePath(QStringLiteral("Han.pas"))),
            QByteArray("  s := '\xC7\xD1\xB1\xDB';\r\nxy\r\n"));
  EXPECT_TRUE(editor->InStep());
}

TEST_F(WindowTest, FindReplaceAndGoToLineWorkOnTheDocument) {
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Unit1.pas"), kUnit);
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_H, Qt::ControlModifier);
  zeb::FindBar* bar = window->Finder();
  ASSERT_TRUE(bar->isVisible());
  bar->FindText()->setText(QStringLiteral("i"));
  bar->ReplaceText()->setText(QStringLiteral("I"));
  EXPECT_EQ(bar->ReplaceAll(), 5);
  EXPECT_EQ(DocumentBytes(*editor), "unIt UnIt1;\nInterface\nprocedure A;\nImplementatIon\nend.\n");
  editor->setFocus();
  QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(DocumentBytes(*editor), kUnit) << "replacing all is one step";

  bar->FindText()->setText(QStringLiteral("procedure"));
  QTest::keyClick(editor, Qt::Key_F3);
  EXPECT_EQ(editor->View()->BlockStart(), (zeb::TextPos{3, 1}));
  EXPECT_EQ(editor->View()->BlockEnd(), (zeb::TextPos{3, 10}));
  window->GoToLine(5);
  EXPECT_EQ(editor->View()->Cursor(), (zeb::TextPos{5, 1}));
  for (const char* name :
       {"Undo", "Redo", "Cut", "Copy", "Paste", "Select All", "Find", "Replace", "Go to Line"})
    EXPECT_FALSE(window->Action(QString::fromLatin1(name))->shortcut().isEmpty()) << name;
}

TEST_F(WindowTest, AModulesCompanionIsOneKeyAway) {
  Write(QStringLiteral("Unit1.dfm"), "object Form1: TForm1\nend\n");
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Unit1.pas"), kUnit);
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_O, Qt::AltModifier);
  ASSERT_NE(window->CurrentEditor(), nullptr);
  EXPECT_TRUE(window->CurrentEditor()->View()->GetDocument().Path().ends_with("Unit1.dfm"));
  EXPECT_EQ(window->Tabs()->count(), 2);
  QTest::keyClick(window->CurrentEditor(), Qt::Key_O, Qt::AltModifier);
  EXPECT_EQ(window->CurrentEditor(), editor);
}

TEST_F(WindowTest, ThePackagesWindowListsTheLoadedPackagesIdentity) {
  ASSERT_TRUE(window->LoadPackage(QStringLiteral(ZEB_ADDIN_PATH)));
  std::unique_ptr<QTreeWidget> tree(window->CreatePackageTree(nullptr));
  ASSERT_EQ(tree->topLevelItemCount(), 1);
  const QTreeWidgetItem* package = tree->topLevelItem(0);
  EXPECT_EQ(package->text(0), QStringLiteral("ZEB_IDE_Addin_2007"));
  EXPECT_EQ(package->text(1), QStringLiteral("Pellix IDE-Addin V0.3 for RAD2007"));
  QStringList rows;
  for (int i = 0; i < package->childCount(); ++i)
    rows << package->child(i)->text(0) + QStringLiteral(": ") + package->child(i)->text(1);
  EXPECT_TRUE(
      rows.contains(QStringLiteral("Requires: vclx100.bpl, vclactnband100.bpl, "
                                   "xmlrtl100.bpl, designide100.bpl, vcl100.bpl, "
                                   "rtl100.bpl")))
      << rows.join('\n').toStdString();
  EXPECT_TRUE(rows.contains(
      QStringLiteral("Contains: ZEB_IDE_Addin_2007, Form_Info, SysInit, uTrace, HotKeyMain2007")));
  EXPECT_TRUE(rows.contains(QStringLiteral("Language: 0x0412, code page 949")));
}

// The Trace panel is the trace view, serving on a thread of its own: a TRACE from the loaded
// package, called on the window's own thread, reaches it; closing the panel frees the socket;
// a panel that finds another viewer running says so.
TEST_F(WindowTest, TheTracePanelShowsALoadedPackagesTraceAndClosingItFreesTheSocket) {
  // A runtime directory of the test's own, so that this viewer is the only one.
  const QString runtime = dir.filePath(QStringLiteral("run"));
  QDir().mkpath(runtime);
  QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
  const QString socket = runtime + QStringLiteral("/TFormTrace");
  ASSERT_TRUE(window->LoadPackage(QStringLiteral(ZEB_ADDIN_PATH)))
      << messages.join('\n').toStdString();
  window->Trace().Toggle();
  ASSERT_NE(window->Trace().View(), nullptr);
  ASSERT_TRUE(window->Trace().Running()) << window->Trace().View()->NotReceiving().toStdString();

  // The package's own ZebTrace, the one its TRACE calls, from this thread.
  void* package = dlopen(ZEB_ADDIN_PATH, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(package, nullptr);
  using TraceEntry = int (*)(const char*, const ZebTraceArg*, size_t, char*, size_t);
  const auto trace = reinterpret_cast<TraceEntry>(dlsym(package, "ZebTrace"));
  ASSERT_NE(trace, nullptr);
  ZebTraceArg arg{};
  arg.kind = ZEB_TRACE_INT32;
  arg.value.i32 = 42;
  EXPECT_EQ(trace("from the package %d", &arg, 1, nullptr, 0), 0);
  dlclose(package);
  // The same channel, telling what became of the message: answered while this thread, the
  // window's, waited for the answer.
  InitializeuTrace();
  const std::array<zeb::TVarRec, 0> none{};
  EXPECT_EQ(zeb::TraceDelivery("from the window's thread", none), zeb::TraceOutcome::Delivered);
  FinalizeuTrace();
  zeb::TraceView& view = *window->Trace().View();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view.Model().rowCount() == 2; }, 10000));
  EXPECT_EQ(
      view.Model().data(view.Model().index(0, zeb::TraceTableModel::kMessage), Qt::DisplayRole),
      QStringLiteral("from the package 42"));

  // Another panel (another zeb-ide) finds this one running and says so.
  zeb::TraceView other(true);
  EXPECT_FALSE(other.StartReceiving());
  EXPECT_TRUE(other.NotReceiving().contains(QStringLiteral("already running")));

  window->Trace().Dock()->close();
  EXPECT_FALSE(window->Trace().Running());
  EXPECT_FALSE(QFileInfo::exists(socket));
  EXPECT_TRUE(other.StartReceiving()) << other.NotReceiving().toStdString();
  EXPECT_EQ(view.Model().rowCount(), 2) << "what came stays shown";
  qunsetenv("XDG_RUNTIME_DIR");
}

// The README's pictures: the examples opened from a folder with a plain name, a block indented,
// then the information dialog over the window (drawn with a title bar where a window manager
// would put one).
TEST_F(WindowTest, TheReadmePicturesShowTheExamples) {
  const QString shots = qEnvironmentVariable("ZEB_SCREENSHOT_DIR");
  if (shots.isEmpty()) GTEST_SKIP() << "ZEB_SCREENSHOT_DIR is not set";
  QDir demo(QDir::temp().filePath(QStringLiteral("zeb-ide-demo")));
  demo.removeRecursively();
  ASSERT_TRUE(demo.mkpath(QStringLiteral(".")));
  for (const char* name : {"Unit1.pas", "Unit1.dfm", "Main.cpp", "Main.h"})
    ASSERT_TRUE(QFile::copy(QStringLiteral(ZEB_EXAMPLES_DIR "/") + QLatin1String(name),
                            demo.filePath(QLatin1String(name))));
  qputenv("XDG_CONFIG_HOME", demo.filePath(QStringLiteral(".config")).toUtf8());
  qputenv("XDG_DATA_HOME", demo.filePath(QStringLiteral(".local/share")).toUtf8());
  window.reset();  // the IDE reads its folders when it starts
  window = std::make_unique<MainWindow>();
  window->resize(1100, 720);
  window->show();
  ASSERT_TRUE(window->LoadPackage(QStringLiteral(ZEB_ADDIN_PATH)));
  ASSERT_NE(window->OpenFile(demo.filePath(QStringLiteral("Main.cpp"))), nullptr);
  EditorWidget* editor = window->OpenFile(demo.filePath(QStringLiteral("Unit1.pas")));
  ASSERT_NE(editor, nullptr);
  editor->setFocus();
  SelectLines(*editor, 22, 24);
  QTest::keyClick(editor, Qt::Key_Tab);
  ASSERT_TRUE(DocumentBytes(*editor).contains("begin\n  Caption := 'Hello';\n  Width := 400;\n"));
  SaveScreenshot(*window, QStringLiteral("readme-editor.png"));

  bool shown = false;
  window->Presenter().onShown = [&](FormDialog& dialog) {
    shown = true;
    QApplication::processEvents();
    QPixmap shot = window->grab();
    const QPixmap inner = dialog.grab();
    const int titleHeight = 24;
    const QPoint at((shot.width() - inner.width()) / 2,
                    (shot.height() - inner.height() - titleHeight) / 2);
    QPainter painter(&shot);
    painter.fillRect(QRect(at, QSize(inner.width(), titleHeight)), QColor(0x3a, 0x6e, 0xa5));
    painter.setPen(Qt::white);
    painter.drawText(QRect(at + QPoint(8, 0), QSize(inner.width() - 40, titleHeight)),
                     Qt::AlignVCenter, dialog.windowTitle());
    painter.drawText(QRect(at + QPoint(inner.width() - 24, 0), QSize(24, titleHeight)),
                     Qt::AlignCenter, QStringLiteral("✕"));
    painter.drawPixmap(at + QPoint(0, titleHeight), inner);
    painter.end();
    EXPECT_TRUE(shot.save(shots + QStringLiteral("/readme-dialog.png")));
    dialog.close();
  };
  QTest::keyClick(editor, Qt::Key_U, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_TRUE(shown);
  window->onAskSave = [](const QString&) { return static_cast<int>(QMessageBox::Discard); };
  window.reset();
  demo.removeRecursively();
}

// Tabs: Ctrl+PgDn and Ctrl+PgUp go round them, a middle click closes one, and the tab menu
// copies a path and shows a folder.
TEST_F(WindowTest, TabsSwitchCloseAndOfferTheirMenu) {
  std::vector<EditorWidget*> editors;
  for (const char* name : {"A.pas", "B.pas", "C.pas"})
    editors.push_back(window->OpenFile(Write(QLatin1String(name), kUnit)));
  QTabWidget& tabs = *window->Tabs();
  ASSERT_EQ(tabs.currentIndex(), 2);
  const struct {
    Qt::Key key;
    int to;
  } switches[] = {
      {Qt::Key_PageDown, 0}, {Qt::Key_PageDown, 1}, {Qt::Key_PageUp, 0}, {Qt::Key_PageUp, 2}};
  for (const auto& step : switches) {
    QTest::keyClick(window->CurrentEditor(), step.key, Qt::ControlModifier);
    EXPECT_EQ(tabs.currentIndex(), step.to);
    EXPECT_EQ(window->CurrentEditor(), editors[static_cast<std::size_t>(step.to)]);
  }
  EXPECT_EQ(DocumentBytes(*editors[2]), QByteArray(kUnit)) << "the keys typed nothing";

  std::unique_ptr<QMenu> menu(window->TabMenu().MenuFor(1));
  const auto item = [&](const char* text) {
    for (QAction* action : menu->actions())
      if (action->text().remove(QLatin1Char('&')) == QLatin1String(text)) return action;
    ADD_FAILURE() << text;
    return menu->actions().front();
  };
  item("Copy Path")->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), dir.filePath(QStringLiteral("B.pas")));
  QUrl shown;
  window->onOpenUrl = [&](const QUrl& folder) { shown = folder; };
  item("Show in Folder")->trigger();
  EXPECT_EQ(shown, QUrl::fromLocalFile(dir.path()));

  QTabBar* bar = tabs.tabBar();
  QTest::mouseClick(bar, Qt::MiddleButton, Qt::NoModifier, bar->tabRect(0).center());
  ASSERT_EQ(tabs.count(), 2);
  EXPECT_EQ(tabs.tabText(0), QStringLiteral("B.pas"));
  item("Close Others")->trigger();  // the menu of B, which is tab 0 now
  ASSERT_EQ(tabs.count(), 1);
  EXPECT_EQ(tabs.tabText(0), QStringLiteral("B.pas"));
}

// Files dragged from a file manager open where they are dropped: on the empty window or on a pane,
// whose text stays as it was.
TEST_F(WindowTest, FilesDroppedOnTheWindowOpen) {
  const QString a = Write(QStringLiteral("A.pas"), kUnit);
  const QString b = Write(QStringLiteral("B.cpp"), "int b;\n");
  const auto drop = [](QWidget& on, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    data.setText(urls.front().toString());  // file managers offer the names as text too
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&on, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&on, &dropped);
    EXPECT_TRUE(dropped.isAccepted());
  };
  drop(*window, {QUrl::fromLocalFile(a)});
  ASSERT_EQ(window->Tabs()->count(), 1);
  EditorWidget* pane = window->CurrentEditor();
  drop(*pane->viewport(), {QUrl::fromLocalFile(b), QUrl(QStringLiteral("https://example.org/x"))});
  ASSERT_EQ(window->Tabs()->count(), 2);
  EXPECT_EQ(window->Tabs()->tabText(1), QStringLiteral("B.cpp"));
  EXPECT_EQ(DocumentBytes(*pane), QByteArray(kUnit)) << "no name was typed into the pane";
  EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

// The finishing touches: Undo and Redo usable only with a step to take, the margin as wide as the
// last line's number, the horizontal scroll bar only for a line wider than the pane, a failed save
// said once, boxes held until the window shows, and About with the version.
TEST_F(WindowTest, TheFinishingTouches) {
  EditorWidget* editor = window->OpenFile(Write(QStringLiteral("Short.cpp"), "int a;\n"));
  ASSERT_NE(editor, nullptr);
  QAction* undo = window->Action(QStringLiteral("Undo"));
  QAction* redo = window->Action(QStringLiteral("Redo"));
  EXPECT_FALSE(undo->isEnabled() || redo->isEnabled());
  QTest::keyClicks(editor, QStringLiteral("x"));
  EXPECT_TRUE(undo->isEnabled() && !redo->isEnabled());
  QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_TRUE(!undo->isEnabled() && redo->isEnabled());

  QApplication::processEvents();
  EXPECT_FALSE(editor->horizontalScrollBar()->isVisible());
  QTest::keyClick(editor, Qt::Key_End);
  QTest::keyClicks(editor, QString(400, QLatin1Char('w')));
  EXPECT_TRUE(QTest::qWaitFor([&] { return editor->horizontalScrollBar()->isVisible(); }));

  // A million lines: the last number fits in the margin, beside a gap.
  EditorWidget* big = window->OpenFile(Write(QStringLiteral("Big.cpp"), QByteArray(999999, '\n')));
  ASSERT_NE(big, nullptr);
  const long numberWidth = big->SendScintilla(QsciScintillaBase::SCI_TEXTWIDTH,
                                              QsciScintillaBase::STYLE_LINENUMBER, "1000000");
  EXPECT_GT(big->Send(QsciScintillaBase::SCI_GETMARGINWIDTHN, 0), numberWidth);
  EXPECT_GT(big->Send(QsciScintillaBase::SCI_GETMARGINLEFT), 1);

  // The file's folder gone: the save fails, and says so once.
  QDir(dir.path()).mkdir(QStringLiteral("sub"));
  EditorWidget* lost = window->OpenFile(Write(QStringLiteral("sub/Lost.pas"), kUnit));
  ASSERT_NE(lost, nullptr);
  QTest::keyClicks(lost, QStringLiteral("x"));
  QDir(dir.filePath(QStringLiteral("sub"))).removeRecursively();
  messages.clear();
  EXPECT_FALSE(window->Save());
  ASSERT_EQ(messages.size(), 1);
  EXPECT_EQ(messages[0].count(QStringLiteral("cannot save"), Qt::CaseInsensitive), 2)
      << "the title, and the reason once: " << messages[0].toStdString();
  window->onAskSave = [](const QString&) { return static_cast<int>(QMessageBox::Discard); };

  // Before the window shows, what fails waits for it.
  window.reset();
  messages.clear();
  window = std::make_unique<MainWindow>();
  window->onMessage = [this](const QString& title, const QString& text) {
    messages << title + QStringLiteral(": ") + text;
  };
  EXPECT_EQ(window->OpenFile(dir.filePath(QStringLiteral("missing.pas"))), nullptr);
  EXPECT_TRUE(messages.isEmpty());
  window->show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return messages.size() == 1; }));

  // About names the version that zeb-ide --version prints.
  QProcess ide;
  ide.start(QStringLiteral(ZEB_IDE_PATH), {QStringLiteral("--version")});
  ASSERT_TRUE(ide.waitForFinished(10000));
  const QString version =
      QString::fromUtf8(ide.readAllStandardOutput()).split(QLatin1Char(' ')).last().trimmed();
  QString about;
  QTimer::singleShot(0, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      about = box->text();
      box->close();
    }
  });
  window->Action(QStringLiteral("About"))->trigger();
  EXPECT_FALSE(version.isEmpty());
  EXPECT_TRUE(about.contains(QStringLiteral("ZEB IDE ") + version)) << about.toStdString();
}

// The Open dialog opens wide enough that no size, type or date in its columns is cut short.
TEST_F(WindowTest, TheOpenDialogShowsWholeColumns) {
  Write(QStringLiteral("Unit1.pas"), kUnit);
  Write(QStringLiteral("Big.txt"), QByteArray(1100000, 'x'));
  QStringList cut;
  int rows = 0;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    auto* tree = dialog->findChild<QTreeView*>();
    if (tree != nullptr) {
      // The folder is read in the background.
      (void)QTest::qWaitFor([&] { return tree->model()->rowCount(tree->rootIndex()) >= 2; }, 5000);
      QApplication::processEvents();
      rows = tree->model()->rowCount(tree->rootIndex());
      const QFontMetrics metrics(tree->font());
      for (int row = 0; row < rows; ++row)
        for (int column = 1; column <= 3; ++column) {
          const QString text =
              tree->model()->index(row, column, tree->rootIndex()).data().toString();
          // The cell's text and the margins the style puts round it.
          if (metrics.horizontalAdvance(text) + 12 > tree->header()->sectionSize(column))
            cut << text;
        }
    }
    dialog->reject();
  });
  window->OpenDialog();
  EXPECT_GE(rows, 2);
  EXPECT_TRUE(cut.isEmpty()) << cut.join(QStringLiteral(", ")).toStdString();
  EXPECT_EQ(window->Tabs()->count(), 0);
}

// The command line is answered without a display.
TEST(CommandLine, HelpAndVersionNeedNoDisplay) {
  for (const char* option : {"--help", "--version"}) {
    QProcess ide;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
      environment.remove(QString::fromLatin1(name));
    ide.setProcessEnvironment(environment);
    ide.start(QStringLiteral(ZEB_IDE_PATH), {QString::fromLatin1(option)});
    ASSERT_TRUE(ide.waitForFinished(10000)) << option;
    EXPECT_EQ(ide.exitStatus(), QProcess::NormalExit) << option;
    EXPECT_EQ(ide.exitCode(), 0) << option << ide.readAllStandardError().toStdString();
    // The program's name, not the path it was started by.
    const QByteArray out = ide.readAllStandardOutput();
    EXPECT_TRUE(out.startsWith("zeb-ide ") || out.contains("\nUsage: zeb-ide [OPTIONS]")) << option;
    EXPECT_FALSE(out.contains(ZEB_IDE_PATH)) << option;
  }
}

// Without a display the window says so in one line, with a status that is no crash; a bad option
// is one line and status 2, as zeb-host has it.
TEST(CommandLine, NoDisplayAndABadOptionAreOneLineEach) {
  const struct {
    const char* display;  // null: none
    const char* argument;
    int status;
    QByteArray error;
  } cases[] = {
      {nullptr, "Unit1.pas", 1,
       "zeb-ide: cannot connect to a display; zeb-host runs without one\n"},
      {":97", "Unit1.pas", 1, "zeb-ide: cannot connect to a display; zeb-host runs without one\n"},
      {nullptr, "--no-such-option", 2,
       "zeb-ide: The following argument was not expected: --no-such-option (see zeb-ide --help)\n"},
      {nullptr, "+3", 2,
       "zeb-ide: +3 names the line of no FILE: write +LINE FILE (see zeb-ide --help)\n"},
  };
  for (const auto& c : cases) {
    QProcess ide;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
      environment.remove(QString::fromLatin1(name));
    if (c.display != nullptr)
      environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(c.display));
    ide.setProcessEnvironment(environment);
    ide.start(QStringLiteral(ZEB_IDE_PATH),
              {QStringLiteral("--no-package"), QString::fromLatin1(c.argument)});
    ASSERT_TRUE(ide.waitForFinished(10000)) << c.argument;
    EXPECT_EQ(ide.exitStatus(), QProcess::NormalExit) << c.argument;
    EXPECT_EQ(ide.exitCode(), c.status) << c.argument;
    EXPECT_EQ(ide.readAllStandardError(), c.error) << c.argument;
  }
}

}  // namespace
