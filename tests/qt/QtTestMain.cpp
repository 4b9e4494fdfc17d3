// GoogleTest inside a QApplication, for tests that drive real widgets.
#include <gtest/gtest.h>

#include <QApplication>

#include "ide/qt/FormDialog.h"

int main(int argc, char** argv) {
  // Without a display (test discovery, CI), Qt's offscreen platform draws into memory.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ide::qt::InstallFontSubstitutions();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
