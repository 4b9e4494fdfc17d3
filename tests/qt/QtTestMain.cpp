// GoogleTest inside a QApplication, for tests that drive real widgets.
#include <gtest/gtest.h>

#include <QApplication>

#include "ide/qt/FormDialog.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ide::qt::InstallFontSubstitutions();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
