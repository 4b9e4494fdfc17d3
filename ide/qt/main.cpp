// zeb-ide: the IDE window. Loads the add-in package and opens the files named.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "ide/qt/MainWindow.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("zeb-ide"));
  QApplication::setApplicationName(QStringLiteral("zeb-ide"));
  QApplication::setApplicationVersion(QStringLiteral(ZEB_VERSION));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "The ZEB IDE window: loads the add-in package and opens FILEs in editors.\n"
      "Tab and Shift+Tab indent and unindent the selected block; Ctrl+Alt+U shows the\n"
      "information dialog."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption packageOption(
      QStringList{QStringLiteral("package")},
      QStringLiteral("Load the package FILE (default: ZEB_IDE_Addin_2007.so beside zeb-ide)."),
      QStringLiteral("FILE"));
  const QCommandLineOption noPackageOption(QStringList{QStringLiteral("no-package")},
                                           QStringLiteral("Load no package."));
  parser.addOption(packageOption);
  parser.addOption(noPackageOption);
  parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Files to open."),
                               QStringLiteral("[FILE...]"));
  parser.process(app);

  ide::qt::MainWindow window;
  if (!parser.isSet(noPackageOption)) {
    const QString package =
        parser.isSet(packageOption)
            ? parser.value(packageOption)
            : QCoreApplication::applicationDirPath() + QStringLiteral("/ZEB_IDE_Addin_2007.so");
    window.LoadPackage(package);
  }
  for (const QString& file : parser.positionalArguments())
    window.OpenFile(file);
  window.show();
  return QApplication::exec();
}
