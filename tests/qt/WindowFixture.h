// The fixture of the window's tests: a real MainWindow, shown on Qt's offscreen platform, with its
// own folders for files and settings, its messages collected instead of shown, and helpers that
// drive it as a user does.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "ide/core/EditView.h"
#include "ide/qt/EditorWidget.h"
#include "ide/qt/MainWindow.h"

namespace zeb::test {

inline constexpr char kUnit[] =
    "unit Unit1;\n"
    "interface\n"
    "procedure A;\n"
    "implementation\n"
    "end.\n";

class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    // Recent files and settings go to a folder of the test's own.
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());
    window = std::make_unique<MainWindow>();
    window->onMessage = [this](const QString& title, const QString& text) {
      messages << title + QStringLiteral(": ") + text;
    };
    window->resize(900, 600);
    window->show();
  }
  void TearDown() override { window.reset(); }

  QString Write(const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
  QByteArray Read(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
  }
  // The document's bytes as the add-in and a save see them, and the text on screen.
  static QByteArray DocumentBytes(EditorWidget& editor) {
    const zeb::Document& document = editor.View()->GetDocument();
    const std::string bytes = document.Bytes(0, document.ByteSize());
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
  }
  static QString Shown(const EditorWidget& editor) {
    return QString::fromUtf8(editor.ScreenBytes());
  }
  // The middle of the character at a screen position, in the pane's viewport.
  static QPoint PointAt(const EditorWidget& editor, long position) {
    const auto at = static_cast<unsigned long>(position);
    return {
        static_cast<int>(editor.Send(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, position)) + 2,
        static_cast<int>(editor.Send(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0, position) +
                         editor.Send(QsciScintillaBase::SCI_TEXTHEIGHT, at) / 2)};
  }
  EditorWidget* OpenWithAddin(const QString& name, const QByteArray& bytes) {
    EXPECT_TRUE(window->LoadPackage(QStringLiteral(ZEB_ADDIN_PATH)))
        << messages.join('\n').toStdString();
    EditorWidget* editor = window->OpenFile(Write(name, bytes));
    EXPECT_NE(editor, nullptr);
    if (editor != nullptr) editor->setFocus();
    return editor;
  }
  // Selects whole lines first..last (1-based) with the keyboard: Ctrl+Home, Down, Shift+Down.
  static void SelectLines(EditorWidget& editor, int first, int last) {
    QTest::keyClick(&editor, Qt::Key_Home, Qt::ControlModifier);
    for (int i = 1; i < first; ++i)
      QTest::keyClick(&editor, Qt::Key_Down);
    for (int i = first; i <= last; ++i)
      QTest::keyClick(&editor, Qt::Key_Down, Qt::ShiftModifier);
  }
  void SaveScreenshot(QWidget& widget, const QString& name) {
    const QString shots = qEnvironmentVariable("ZEB_SCREENSHOT_DIR");
    if (shots.isEmpty()) return;
    QDir().mkpath(shots);
    QApplication::processEvents();  // lay out what the last key changed
    EXPECT_TRUE(widget.grab().save(shots + QLatin1Char('/') + name));
  }

  QTemporaryDir dir;
  std::unique_ptr<MainWindow> window;
  QStringList messages;
};

}  // namespace zeb::test
