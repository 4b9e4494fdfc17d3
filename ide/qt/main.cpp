// zeb-ide: the IDE window. Loads the packages and opens the files named.
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
      "The ZEB IDE window: loads the packages and opens FILEs in editors.\n"
      "Tab and Shift+Tab indent and unindent the selected block; Ctrl+Alt+U shows the\n"
      "information dialog."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption packageOption(
      QStringList{QStringLiteral("package")},
      QStringLiteral("Load the package FILE (may be repeated) instead of every package in the "
                     "packages folders: lib/zeb-ide/packages/ of the installation, then "
                     "$XDG_DATA_HOME/zeb-ide/packages/."),
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
    const QStringList packages = parser.values(packageOption);
    for (const QString& package : packages)
      window.LoadPackage(package);
    if (packages.isEmpty()) window.Ide().LoadPackagesFrom(window.Ide().PackageFolders());
  }
  for (const QString& file : parser.positionalArguments())
    window.OpenFile(file);
  window.show();
  return QApplication::exec();
}
