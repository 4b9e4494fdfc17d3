// zeb-ide: the IDE window. Loads the add-in package and opens the files named.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include "ide/qt/MainWindow.h"

namespace {

struct Arguments {
  bool noPackage = false;
  QString package;  // empty: the IDE's default package
  QStringList files;
};

// Parses the command line in a core application, so that --help, --version and a bad option
// are answered without a display.
Arguments Parse(int argc, char** argv) {
  QCoreApplication core(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("zeb-ide"));
  QCoreApplication::setApplicationVersion(QStringLiteral(ZEB_VERSION));
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
  parser.process(core);  // exits after --help, --version or a bad option
  Arguments arguments;
  arguments.noPackage = parser.isSet(noPackageOption);
  if (parser.isSet(packageOption)) arguments.package = parser.value(packageOption);
  arguments.files = parser.positionalArguments();
  return arguments;
}

}  // namespace

int main(int argc, char** argv) {
  const Arguments arguments = Parse(argc, argv);

  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("zeb-ide"));
  QApplication::setApplicationName(QStringLiteral("zeb-ide"));
  QApplication::setApplicationVersion(QStringLiteral(ZEB_VERSION));

  ide::qt::MainWindow window;
  if (!arguments.noPackage)
    window.LoadPackage(arguments.package.isEmpty()
                           ? QString::fromStdString(window.Ide().DefaultPackagePath())
                           : arguments.package);
  for (const QString& file : arguments.files)
    window.OpenFile(file);
  window.show();
  return QApplication::exec();
}
