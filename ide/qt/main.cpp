// zeb-ide: the IDE window. Loads the packages and opens the files named, or the last session's.
#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>

#include "ide/app/CheckedOutput.h"
#include "ide/app/CommandLine.h"
#include "ide/qt/DisplayCheck.h"
#include "ide/qt/EdgeGuard.h"
#include "ide/qt/FileArguments.h"
#include "ide/qt/FileCommands.h"
#include "ide/qt/MainWindow.h"
#include "ide/qt/Session.h"

namespace zeb {
namespace {

// A name from the command line as Qt names files.
QString FileName(const std::string& name) {
  return QFile::decodeName(QByteArray::fromStdString(name));
}

bool IsFile(const std::string& name) {
  const QFileInfo info(FileName(name));
  return info.exists() || info.isSymLink();
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
      "Files to open: FILE, FILE:LINE[:COLUMN] or +LINE FILE");
  commandLine.SetFooter(
      "A FILE that does not exist opens empty and is created when it is saved. A name\n"
      "that is a file is that file, colons and all; write ./+NAME for a file named +NAME.\n"
      "Without FILEs the window reopens the files it had open when it last closed\n"
      "(Edit > Preferences can turn that off).\n\n" +
      commandLine.PackagesHelp());
  if (const auto status = commandLine.Parse(std::vector<std::string>(argv, argv + argc), out))
    return *status;
  std::string error;
  const auto files = ReadFileArguments(commandLine.Files(), IsFile, error);
  if (!files) {
    std::fprintf(stderr, "zeb-ide: %s (see zeb-ide --help)\n", error.c_str());
    return 2;
  }

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
  window.show();
  // The files open once the window is on the screen, where what fails is told.
  QTimer::singleShot(0, &window, [&window, &files] {
    RunAtEdge(MainWindow::tr("Opening the files"), [&window, &files] {
      if (files->empty()) {
        if (window.Preferences().reopenFiles) ReopenSession(window);
        return;
      }
      for (const FileLocation& file : *files)
        window.Files().OpenAt(file);
    });
  });
  return QApplication::exec();
}
