// zeb-ide: the IDE window. Loads the packages and opens the files named.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

#include "ide/qt/DisplayCheck.h"
#include "ide/qt/MainWindow.h"

namespace zeb {
namespace {

struct Arguments {
  bool noPackage = false;
  QStringList packages;  // empty: those of the packages folders
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
  // A bad option is one line and status 2, as zeb-host answers it.
  if (!parser.parse(QCoreApplication::arguments())) {
    std::fprintf(stderr, "zeb-ide: %s\n", parser.errorText().toLocal8Bit().constData());
    std::exit(2);
  }
  parser.process(core);  // exits after --help or --version
  Arguments arguments;
  arguments.noPackage = parser.isSet(noPackageOption);
  arguments.packages = parser.values(packageOption);
  arguments.files = parser.positionalArguments();
  return arguments;
}

}  // namespace
}  // namespace zeb

int main(int argc, char** argv) {
  using namespace zeb;
  const Arguments arguments = Parse(argc, argv);

  DisplayCheck displayCheck;  // no display: one line and status 1, not Qt's abort
  QApplication app(argc, argv);
  displayCheck.Done();
  QApplication::setOrganizationName(QStringLiteral("zeb-ide"));
  QApplication::setApplicationName(QStringLiteral("zeb-ide"));
  QApplication::setApplicationVersion(QStringLiteral(ZEB_VERSION));

  zeb::MainWindow window;
  if (!arguments.noPackage) {
    for (const QString& package : arguments.packages)
      window.LoadPackage(package);
    if (arguments.packages.isEmpty()) window.Ide().LoadPackagesFrom(window.Ide().PackageFolders());
  }
  for (const QString& file : arguments.files)
    window.OpenFile(file);
  window.show();
  return QApplication::exec();
}
