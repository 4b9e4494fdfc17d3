// Preferences chosen in their dialog, applied to every pane and the IDE, and kept across a
// restart; zoom by keys and the wheel.
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QWheelEvent>

#include "ide/qt/PreferencesDialog.h"
#include "tests/qt/WindowFixture.h"

namespace {

using zeb::EditorWidget;
using zeb::PreferencesDialog;
using zeb::test::kUnit;
using zeb::test::WindowTest;

using PreferencesTest = WindowTest;

// What a pane shows of the preferences: font size, tab width, tabs or spaces, whitespace, wrap.
struct PaneLook {
  long fontSize, tabWidth;
  bool tabs, whitespace, wrap;
  friend bool operator==(const PaneLook&, const PaneLook&) = default;
};
PaneLook ShownBy(const EditorWidget& pane) {
  using B = QsciScintillaBase;
  return {pane.Send(B::SCI_STYLEGETSIZE, B::STYLE_DEFAULT), pane.Send(B::SCI_GETTABWIDTH),
          pane.Send(B::SCI_GETUSETABS) != 0, pane.Send(B::SCI_GETVIEWWS) != 0,
          pane.Send(B::SCI_GETWRAPMODE) != 0};
}
void PrintTo(const PaneLook& s, std::ostream* out) {
  *out << "size " << s.fontSize << ", tab " << s.tabWidth << (s.tabs ? ", tabs" : ", spaces")
       << (s.whitespace ? ", whitespace" : "") << (s.wrap ? ", wrap" : "");
}

TEST_F(PreferencesTest, ChosenPreferencesReachEveryPaneAndTheIdeAndAreKept) {
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Main.cpp"), "int a;\n");
  ASSERT_NE(editor, nullptr);
  const PaneLook before = ShownBy(*editor);
  EXPECT_EQ(before.tabWidth, 8);
  EXPECT_TRUE(before.tabs);

  QTest::keyClick(editor, Qt::Key_Comma, Qt::ControlModifier);  // Edit -> Preferences
  auto* dialog = window->findChild<PreferencesDialog*>();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(dialog->isVisible());
  dialog->FontSize()->setValue(15);
  dialog->TabWidth()->setValue(4);
  dialog->TabInserts()->setCurrentIndex(1);
  dialog->ShowWhitespace()->setChecked(true);
  dialog->WrapLines()->setChecked(true);
  SaveScreenshot(*dialog, QStringLiteral("preferences.png"));
  dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();

  const PaneLook chosen{15, 4, false, true, true};
  EXPECT_EQ(ShownBy(*editor), chosen);
  EXPECT_EQ(window->Ide().TabWidth(), 4);
  EXPECT_EQ(editor->View()->TabWidth(), 4) << "the add-in's view unindents by it";
  EXPECT_TRUE(window->StatusText().contains(QStringLiteral("| Tab 4 |")))
      << window->StatusText().toStdString();
  // Tab with no block, passed on by the add-in: spaces to the next stop.
  QTest::keyClick(editor, Qt::Key_End);
  QTest::keyClick(editor, Qt::Key_Tab);
  EXPECT_EQ(DocumentBytes(*editor), "int a;  \n");
  window->SplitView();
  EXPECT_EQ(ShownBy(*window->CurrentEditor()), chosen) << "a new pane";

  window->onAskSave = [](const QString&) { return static_cast<int>(QMessageBox::Discard); };
  Restart();
  EditorWidget* again = window->OpenFile(dir.filePath(QStringLiteral("Main.cpp")));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(ShownBy(*again), chosen) << "kept across a restart";
  EXPECT_EQ(window->Ide().TabWidth(), 4);
  EXPECT_TRUE(window->Ide().TabInsertsSpaces());
}

TEST_F(PreferencesTest, ZoomByKeysAndWheelReachesEveryPaneAndIsKept) {
  EditorWidget* editor = OpenWithAddin(QStringLiteral("Unit1.pas"), kUnit);
  ASSERT_NE(editor, nullptr);
  window->SplitView();
  const std::vector<EditorWidget*> panes = window->PanesOf(0);
  const auto zooms = [&] {
    std::vector<long> z;
    for (EditorWidget* pane : panes)
      z.push_back(pane->Send(QsciScintillaBase::SCI_GETZOOM));
    return z;
  };
  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    long zoom;
  } keys[] = {
      {Qt::Key_Equal, Qt::ControlModifier, 1},
      {Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier, 2},
      {Qt::Key_Plus, Qt::ControlModifier, 3},
      {Qt::Key_Minus, Qt::ControlModifier, 2},
      {Qt::Key_0, Qt::ControlModifier, 0},
      {Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier, 1},  // the component's own keys
  };
  for (const auto& k : keys) {
    QTest::keyClick(editor, k.key, k.modifiers);
    EXPECT_EQ(zooms(), std::vector<long>(2, k.zoom))
        << QKeySequence(k.key | k.modifiers).toString().toStdString();
  }
  const QPointF at(20, 20);
  QWheelEvent wheel(at, editor->viewport()->mapToGlobal(at), {}, {0, 120}, Qt::NoButton,
                    Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(editor->viewport(), &wheel);
  EXPECT_EQ(zooms(), std::vector<long>(2, 2)) << "Ctrl and the wheel";
  EXPECT_EQ(DocumentBytes(*editor), QByteArray(kUnit)) << "no key typed anything";
  Restart();
  EXPECT_EQ(window->Zoom(), 2);
}

}  // namespace
