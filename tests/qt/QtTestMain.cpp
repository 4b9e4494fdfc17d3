// GoogleTest inside a QApplication, for tests that drive real widgets.
#include <gtest/gtest.h>

#include <QApplication>

#include "ide/qt/FormDialog.h"

int main(int argc, char** argv) {
  // Qt's offscreen platform draws into memory: the same pictures with or without a display.
  // QT_QPA_PLATFORM=xcb runs the tests on a real display instead.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  zeb::InstallFontSubstitutions();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
