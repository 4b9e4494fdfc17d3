// zeb-host: the headless IDE. Loads packages, opens files, runs a script.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ide/app/Ide.h"
#include "ide/core/IdeEnvironment.h"
#include "ide/core/PackageLibrary.h"
#include "ide/headless/HostObserver.h"
#include "ide/headless/ProcessIo.h"
#include "ide/headless/ScriptRunner.h"
#include "runtime/Exceptions.h"

namespace zeb {
namespace {

struct Settings {
  std::vector<std::string> packages;
  bool noPackage = false;
  std::string script;
  bool listPackages = false;
  std::vector<std::string> files;
};

// What --help says after the options: what the program does, then the script commands.
std::string Footer() {
  std::string text =
      "Loads every package (*" + std::string(zeb::PackageLibrary::FileSuffix()) +
      ") in the packages folders: first the system one,\n"
      "lib/zeb-ide/packages/ in the installation zeb-host runs from, then the user's,\n" +
      zeb::IdeEnvironment::UserPackagesFolderName() +
      "; with --package, only the FILEs named. A package that\n"
      "cannot be loaded is reported and skipped. Then opens the FILEs and runs the script from\n"
      "--script FILE, or from standard input when that is not a terminal.\n\n"
      "Script commands, one a line ('#' starts a comment line):\n";
  for (const zeb::ScriptCommand& command : zeb::ScriptRunner::Commands()) {
    std::string synopsis = command.Synopsis();
    synopsis.resize(std::max<std::size_t>(synopsis.size() + 1, 20), ' ');
    text += "  " + synopsis + std::string(command.usage) + "\n";
  }
  return text +
         "\nExit status: 0 when the script ran to its end, 2 for a bad argument or script line, 1"
         "\nwhen a save failed.";
}

// Reads the command line into `settings`; an exit status when the program is to stop there.
std::optional<int> Parse(const std::vector<std::string>& args, Settings& settings) {
  CLI::App app("", "zeb-host");
  app.set_version_flag("--version", "zeb-host " ZEB_VERSION, "Print the version and stop");
  auto* package = app.add_option("--package", settings.packages,
                                 "Load this package (may be repeated) instead of the packages "
                                 "folders' ones")
                      ->type_name("FILE")
                      ->allow_extra_args(false);  // one FILE each time; the rest are FILEs to open
  app.add_flag("--no-package", settings.noPackage, "Load no package")->excludes(package);
  app.add_option("--script", settings.script, "Read the script from FILE ('-': standard input)")
      ->type_name("FILE");
  app.add_flag("--packages", settings.listPackages,
               "Print the identities of the packages loaded, each with the folder it was found "
               "in, and stop");
  std::size_t undoBudget = 256;
  app.add_option("--undo-budget", undoBudget,
                 "Keep at least MIB MiB of undo history a file (default 256; a file keeps four "
                 "times its size if that is more)")
      ->type_name("MIB")
      ->check(CLI::Range(std::size_t{0}, std::size_t{1} << 40));
  app.add_option("FILE", settings.files, "Files to open as modules")->type_name("");
  app.footer(Footer());
  std::vector<const char*> argv;
  for (const std::string& arg : args)
    argv.push_back(arg.c_str());
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
    zeb::Document::SetUndoBudgetFloor(undoBudget << 20);
    return std::nullopt;
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const CLI::CallForVersion& e) {
    std::printf("%s\n", e.what());
    return 0;
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "zeb-host: %s (see zeb-host --help)\n", e.what());
    return 2;
  }
}

void PrintIdentity(const zeb::Package& package) {
  const zeb::PackageIdentity& id = package.Identity();
  std::printf("%s: %s\n", id.name.c_str(), id.description.c_str());
  for (const zeb::IdentityRow& row : package.IdentityRows())
    std::printf("  %s: %s\n", row.label.c_str(), row.value.c_str());
}

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// Raises the IDE's exceptions for what stops the run before the script: a script that cannot
// be opened, a FILE that cannot be read.
int Run(const Settings& settings) {
  const bool fromStdin = settings.script.empty() || settings.script == "-";
  const std::string scriptName = fromStdin ? "<stdin>" : settings.script;
  File scriptFile(nullptr, &std::fclose);
  if (!fromStdin) {
    scriptFile.reset(zeb::OpenForReading(settings.script));
    if (!scriptFile)
      throw EInOutError("cannot read script " + settings.script + ": " + std::strerror(errno));
  }

  zeb::HostObserver observer(stdout, stderr);
  zeb::Ide ide(observer);
  if (!settings.packages.empty()) {
    for (const std::string& package : settings.packages)
      ide.LoadPackage(package);
  } else if (!settings.noPackage) {
    const auto folders = ide.PackageFolders();
    if (ide.LoadPackagesFrom(folders) == 0) {
      std::string searched;
      for (const auto& folder : folders)
        searched += (searched.empty() ? "" : ", ") + folder.path;
      observer.OnMessage("no packages found in " + searched);
    }
  }
  if (settings.listPackages) {
    for (const auto& loaded : ide.Packages())
      PrintIdentity(*loaded);
    return 0;
  }
  for (const std::string& file : settings.files)
    ide.Open(file);

  zeb::ScriptRunner runner(ide, stdout);
  std::optional<zeb::ScriptRunner::Failure> failure;
  if (scriptFile)
    failure = runner.Run(scriptFile.get(), scriptName);
  else if (settings.script == "-" || !zeb::StandardInputIsTerminal())
    failure = runner.Run(stdin, scriptName);
  if (!failure) return 0;
  std::fflush(stdout);
  std::fprintf(stderr, "zeb-host: %s:%d: %s\n", scriptName.c_str(), failure->line,
               failure->reason.c_str());
  return failure->status;
}

}  // namespace
}  // namespace zeb

int main(int argc, char** argv) {
  using namespace zeb;
  zeb::UseBinaryStandardStreams();
  Settings settings;
  if (const auto status = Parse(zeb::Utf8Arguments(argc, argv), settings)) return *status;
  int status = 2;
  // Whatever stops the run is reported here, once; script lines report their own failures.
  try {
    status = Run(settings);
  } catch (const Exception& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "zeb-host: %s\n", e.Message().c_str());
  } catch (...) {
    const ExceptionDescription d = DescribeException(std::current_exception());
    std::fflush(stdout);
    std::fprintf(stderr, "zeb-host: %s: %s\n", d.className.c_str(), d.message.c_str());
  }
  std::fflush(stdout);
  return status;
}
