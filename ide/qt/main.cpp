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
      QStringLiteral("Load the package FILE (default: %1 beside zeb-ide).")
          .arg(QLatin1String(zebide::Ide::kDefaultPackageFile)),
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
    window.LoadPackage(parser.isSet(packageOption)
                           ? parser.value(packageOption)
                           : QString::fromStdString(window.Ide().DefaultPackagePath()));
  }
  for (const QString& file : parser.positionalArguments())
    window.OpenFile(file);
  window.show();
  return QApplication::exec();
}
