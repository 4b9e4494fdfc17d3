// The editor and the IDE core say the same thing after every step a user can take: typing, an
// input-method commit, a paste, Tab and Shift+Tab on a block, undo and redo, a second view; for
// files in every line-end style and encoding. Undoing everything gives back the file's bytes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QInputMethodEvent>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "ide/app/Ide.h"
#include "ide/qt/DocumentScreen.h"
#include "ide/qt/EditorWidget.h"
#include "ide/qt/MainWindow.h"

namespace {

using zeb::EditorWidget;
using zeb::MainWindow;
using zeb::ScreenEncoding;

struct FileCase {
  const char* name;
  const char* fileName;
  QByteArray bytes;
  ScreenEncoding encoding;
};

void PrintTo(const FileCase& c, std::ostream* os) {
  *os << c.name;
}

QByteArray Bytes(const EditorWidget& editor) {
  const zeb::Document& document = editor.View()->GetDocument();
  const std::string bytes = document.Bytes(0, document.ByteSize());
  return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

class EditorSync : public testing::TestWithParam<FileCase> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
    window = std::make_unique<MainWindow>();
    window->onMessage = [this](const QString& title, const QString& text) {
      messages << title + QStringLiteral(": ") + text;
    };
    window->show();
    ASSERT_TRUE(window->LoadPackage(QStringLiteral(ZEB_ADDIN_PATH)));
  }

  EditorWidget* Open(const FileCase& c) {
    const QString path = dir.filePath(QString::fromUtf8(c.fileName));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(c.bytes);
    file.close();
    EditorWidget* editor = window->OpenFile(path);
    if (editor != nullptr) editor->setFocus();
    return editor;
  }

  QTemporaryDir dir;
  std::unique_ptr<MainWindow> window;
  QStringList messages;
};

// Runs one step, lets queued work finish, and checks the editor against the core.
#define STEP(editor, what, ...)                                                 \
  do {                                                                          \
    __VA_ARGS__;                                                                \
    QApplication::processEvents();                                              \
    ASSERT_TRUE((editor)->InStep())                                             \
        << "after " << (what) << ": " << (editor)->ScreenBytes().toStdString(); \
  } while (false)

TEST_P(EditorSync, EveryStepKeepsScreenAndCoreTogetherAndUndoRestoresTheBytes) {
  const FileCase& c = GetParam();
  EditorWidget* editor = Open(c);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->Screen().Encoding(), c.encoding);
  ASSERT_TRUE(editor->InStep());

  STEP(editor, "typing at the end", QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
       QTest::keyClicks(editor, QStringLiteral("xy")));
  STEP(editor, "an input-method commit at the end", {
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("한"));
    QApplication::sendEvent(editor, &commit);
  });
  // The commit reached the document in its encoding (Latin-1 cannot hold it: "?").
  const QByteArray committed = c.encoding == ScreenEncoding::Utf8    ? "xy\xED\x95\x9C"
                               : c.encoding == ScreenEncoding::Cp949 ? "xy\xC7\xD1"
                                                                     : "xy?";
  EXPECT_TRUE(Bytes(*editor).endsWith(committed)) << Bytes(*editor).toStdString();
  STEP(editor, "Enter", QTest::keyClick(editor, Qt::Key_Return));
  STEP(editor, "a paste of two lines at the start",
       QApplication::clipboard()->setText(QStringLiteral("p1\np2\n"));
       QTest::keyClick(editor, Qt::Key_Home, Qt::ControlModifier);
       QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier));
  STEP(editor, "a block of two lines", QTest::keyClick(editor, Qt::Key_Home, Qt::ControlModifier);
       QTest::keyClick(editor, Qt::Key_Down, Qt::ShiftModifier);
       QTest::keyClick(editor, Qt::Key_Down, Qt::ShiftModifier));
  STEP(editor, "Tab on the block", QTest::keyClick(editor, Qt::Key_Tab));
  EXPECT_TRUE(Bytes(*editor).startsWith("  p1") || Bytes(*editor).startsWith("    p1"));
  STEP(editor, "Shift+Tab on the block",
       QTest::keyClick(editor, Qt::Key_Backtab, Qt::ShiftModifier));
  STEP(editor, "deleting a line break", QTest::keyClick(editor, Qt::Key_Home, Qt::ControlModifier);
       QTest::keyClick(editor, Qt::Key_End); QTest::keyClick(editor, Qt::Key_Delete));
  // The component's own menu and timers edit outside any key press.
  STEP(editor, "an edit the component makes by itself",
       editor->SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, 0UL, "w"));
  STEP(editor, "undo", QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier));
  STEP(editor, "redo", QTest::keyClick(editor, Qt::Key_Y, Qt::ControlModifier));

  // A second pane of the same document follows the first, and the first follows it.
  window->SplitView();
  auto* second = window->CurrentEditor();
  ASSERT_NE(second, editor);
  EXPECT_EQ(&second->Screen(), &editor->Screen()) << "one screen per document";
  second->setFocus();
  STEP(second, "typing in the second view",
       QTest::keyClick(second, Qt::Key_Home, Qt::ControlModifier);
       QTest::keyClicks(second, QStringLiteral("z")));
  ASSERT_TRUE(editor->InStep()) << editor->ScreenBytes().toStdString();

  // Undo every step: the document is the file again, byte for byte, and so is the screen.
  while (second->View()->GetDocument().History().CanUndo()) {
    STEP(second, "undo", QTest::keyClick(second, Qt::Key_Z, Qt::ControlModifier));
  }
  EXPECT_EQ(Bytes(*second), c.bytes);
  ASSERT_TRUE(editor->InStep());
  EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Files, EditorSync,
    testing::Values(
        FileCase{"Lf", "Unit1.pas", "unit U;\ninterface\nend.\n", ScreenEncoding::Utf8},
        FileCase{"CrLf", "Main.cpp", "int a;\r\nint b;\r\nint c;\r\n", ScreenEncoding::Utf8},
        FileCase{"Mixed", "Mixed.pas", "a\nb\r\nc\nd\r\n", ScreenEncoding::Utf8},
        FileCase{"NoFinalLineEnd", "Last.cpp", "int a;\nint b;", ScreenEncoding::Utf8},
        FileCase{"Hangul", "Han.pas", "s := '\xED\x95\x9C\xEA\xB8\x80';\nx\n",
                 ScreenEncoding::Utf8},
        FileCase{"CodePage949", "Cp.pas", "s := '\xC7\xD1\xB1\xDB';\nx\n", ScreenEncoding::Cp949},
        FileCase{"CutSequence", "Cut.cpp", "abc\nd\xE2\x82", ScreenEncoding::Latin1},
        FileCase{"NulBytes", "Nul.cpp", QByteArray("a\0b\nc\n", 6), ScreenEncoding::Utf8},
        // The component breaks lines at a lone CR, the document does not; U+2029 breaks none.
        FileCase{"LoneCr", "Cr.cpp", "a\rb\nc\nd\n", ScreenEncoding::Utf8},
        FileCase{"ParagraphSeparator", "Ps.cpp", "a\xE2\x80\xA9z\nc\n", ScreenEncoding::Utf8}),
    [](const testing::TestParamInfo<FileCase>& row) { return std::string(row.param.name); });

}  // namespace
