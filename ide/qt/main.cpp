// zeb-ide: the IDE window. Loads the packages and opens the files named.
#include <QApplication>
#include <QFile>
#include <cstdio>

#include "ide/app/CheckedOutput.h"
#include "ide/app/CommandLine.h"
#include "ide/qt/DisplayCheck.h"
#include "ide/qt/MainWindow.h"

namespace zeb {
namespace {

// A name from the command line as Qt names files.
QString FileName(const std::string& name) {
  return QFile::decodeName(QByteArray::fromStdString(name));
}

}  // namespace
}  // namespace zeb

int main(int argc, char** argv) {
  using namespace zeb;
  // The command line is read before Qt starts, so that --help, --version and a bad option are
  // answered without a display.
  CheckedOutput out(stdout);
  CommandLine commandLine(
      "zeb-ide", ZEB_VERSION,
      "The ZEB IDE window: loads the packages and opens FILEs in editors.\n"
      "Tab and Shift+Tab indent and unindent the selected block; Ctrl+Alt+U shows the\n"
      "information dialog.",
      "Files to open");
  commandLine.SetFooter(commandLine.PackagesHelp());
  if (const auto status = commandLine.Parse(std::vector<std::string>(argv, argv + argc), out))
    return *status;

  DisplayCheck displayCheck;  // no display: one line and status 1, not Qt's abort
  QApplication app(argc, argv);
  displayCheck.Done();
  QApplication::setOrganizationName(QStringLiteral("zeb-ide"));
  QApplication::setApplicationName(QStringLiteral("zeb-ide"));
  QApplication::setApplicationVersion(QStringLiteral(ZEB_VERSION));

  MainWindow window;
  if (!commandLine.Packages().empty()) {
    for (const std::string& package : commandLine.Packages())
      window.LoadPackage(FileName(package));
  } else if (!commandLine.NoPackage()) {
    window.Ide().LoadPackagesFrom(window.Ide().PackageFolders());
  }
  for (const std::string& file : commandLine.Files())
    window.OpenFile(FileName(file));
  window.show();
  return QApplication::exec();
}
