// The information dialog drawn by Qt: its layout, its lines, and modal display.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <memory>

#include "addin/info/Form_Info.h"
#include "ide/qt/FormDialog.h"
#include "ide/qt/ModalPresenter.h"

namespace zeb {

namespace {

// The dialog's form with a report's worth of lines, without an IDE behind it.
std::unique_ptr<TFormInfo> ReportForm() {
  auto form = std::make_unique<TFormInfo>(nullptr);
  form->Memo1->Lines.Clear();
  form->add("IOTAServices.GetProductIdentifier", std::string("ZEB.IDE"));
  form->add("CurrentModule.Editor.FileName", std::string("/home/kim/한글/Unit1.pas"));
  form->add("EditView.CursorPos.Col", -1);
  return form;
}

TEST(FormDialog, FollowsTheFormsStoredLayout) {
  auto form = ReportForm();
  zeb::FormDialog dialog(*form);
  dialog.show();

  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Information..."));
  EXPECT_EQ(dialog.size(), QSize(782, 462));
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << "a dialog frame cannot be resized";
  EXPECT_TRUE(dialog.isModal());
  // A dialog frame: the close control only.
  EXPECT_EQ(dialog.windowFlags() & Qt::WindowType_Mask, Qt::Dialog);
  EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowCloseButtonHint));

  // Without a window it is centred on the screen.
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const QPoint centre = dialog.pos() + QPoint(782 / 2, 462 / 2);
  EXPECT_LE((centre - screen.center()).manhattanLength(), 2);

  ASSERT_EQ(dialog.Memos().size(), 1u);
  const QPlainTextEdit* memo = dialog.Memos()[0];
  EXPECT_EQ(memo->objectName(), QStringLiteral("Memo1"));
  EXPECT_EQ(memo->geometry(), QRect(8, 24, 766, 417));
  EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_FALSE(memo->isReadOnly());
  EXPECT_EQ(memo->toPlainText(),
            QStringLiteral("IOTAServices.GetProductIdentifier : ZEB.IDE\n"
                           "CurrentModule.Editor.FileName : /home/kim/한글/Unit1.pas\n"
                           "EditView.CursorPos.Col : -1"));
  EXPECT_EQ(dialog.font().pixelSize(), 12);
  EXPECT_EQ(dialog.font().family(), QStringLiteral("굴림"));
  EXPECT_EQ(dialog.palette().color(QPalette::Window), dialog.palette().color(QPalette::Button));
}

TEST(FormDialog, IsCentredOnTheIdeWindowAndClosesWithEscape) {
  QWidget ide;
  ide.setGeometry(40, 30, 1000, 700);
  ide.show();
  auto form = ReportForm();
  zeb::FormDialog dialog(*form, &ide);
  dialog.show();
  const QPoint centre = dialog.frameGeometry().center();
  EXPECT_LE((centre - ide.frameGeometry().center()).manhattanLength(), 2);
  QTest::keyClick(dialog.Memos()[0], Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible());
}

TEST(FormDialog, TheKoreanFontResolvesToAnInstalledFontWithHangul) {
  auto form = ReportForm();
  zeb::FormDialog dialog(*form);
  const QFontInfo info(dialog.font());
  EXPECT_TRUE(info.family().contains(QStringLiteral("Nanum")) ||
              info.family().contains(QStringLiteral("Noto")))
      << info.family().toStdString();
}

TEST(ModalPresenter, ShowsTheFormModallyAndStoresEditsBack) {
  auto form = ReportForm();
  zeb::ModalPresenter presenter(nullptr);
  bool shown = false;
  presenter.onShown = [&](zeb::FormDialog& dialog) {
    shown = true;
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
    const QString dir = qEnvironmentVariable("ZEB_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
      QDir().mkpath(dir);
      EXPECT_TRUE(dialog.grab().save(dir + QStringLiteral("/information-dialog-alone.png")));
    }
    dialog.Memos()[0]->appendPlainText(QStringLiteral("typed by the user"));
    dialog.close();  // the window's close control
  };
  EXPECT_EQ(presenter.ShowModal(*form), mrCancel);
  EXPECT_TRUE(shown);
  ASSERT_EQ(form->Memo1->Lines.Count(), 4u);
  EXPECT_EQ(form->Memo1->Lines[3], "typed by the user");
}

}  // namespace

}  // namespace zeb
