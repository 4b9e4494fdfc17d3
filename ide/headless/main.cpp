// zeb-host: the headless IDE. Loads packages, opens files, runs a script.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ide/app/CheckedOutput.h"
#include "ide/app/CommandLine.h"
#include "ide/app/Ide.h"
#include "ide/headless/HostObserver.h"
#include "ide/headless/ProcessIo.h"
#include "ide/headless/ScriptRunner.h"
#include "runtime/Exceptions.h"
#include "runtime/VisibleText.h"

namespace zeb {
namespace {

struct Settings {
  std::string script;
  bool listPackages = false;
  bool strict = false;
  std::size_t undoBudget = 256;
};

// What --help says after the options: where packages come from, what the program does, then
// the script commands.
std::string Footer(const CommandLine& commandLine) {
  std::string text = commandLine.PackagesHelp() +
                     "\nThen opens the FILEs and runs the script from --script FILE, or from\n"
                     "standard input when that is not a terminal; a script line holds at most " +
                     std::to_string(ScriptRunner::kMaxLineBytes >> 20) +
                     " MiB.\n\n"
                     "Script commands, one a line ('#' starts a comment line):\n";
  for (const ScriptCommand& command : ScriptRunner::Commands()) {
    std::string synopsis = command.Synopsis();
    synopsis.resize(std::max<std::size_t>(synopsis.size() + 1, 20), ' ');
    text += "  " + synopsis + std::string(command.usage) + "\n";
  }
  return text +
         "\nExit status: 0 when the script ran to its end, 2 for a bad argument or script line, 1"
         "\nwhen a save failed or the output could not be written, 3 with --strict when an add-in"
         "\nfaulted, bound a key another package holds or kept references at unload.";
}

void AddOptions(CommandLine& commandLine, Settings& settings) {
  CLI::App& app = commandLine.App();
  app.add_option("--script", settings.script, "Read the script from FILE ('-': standard input)")
      ->type_name("FILE");
  app.add_flag("--packages", settings.listPackages,
               "Print the identities of the packages loaded, each with the folder it was found "
               "in, and stop");
  app.add_flag("--strict", settings.strict,
               "Treat what an add-in does wrong as an error, for add-in test suites: a fault, a "
               "key another package holds, references kept at unload; exit with status 3 after "
               "the script when there was any");
  app.add_option("--undo-budget", settings.undoBudget,
                 "Keep at least MIB MiB of undo history a file (default 256; a file keeps four "
                 "times its size if that is more)")
      ->type_name("MIB")
      ->check(CLI::Range(std::size_t{0}, std::size_t{1} << 40));
  commandLine.SetFooter(Footer(commandLine));
}

// A package's identity is the package's own text: printed as any text from an add-in is.
void PrintIdentity(CheckedOutput& out, const Package& package) {
  const PackageIdentity& id = package.Identity();
  out.Line(VisibleText(id.name) + ": " + VisibleText(id.description));
  for (const IdentityRow& row : package.IdentityRows())
    out.Line("  " + VisibleText(row.label) + ": " + VisibleText(row.value));
}

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// Loads the packages, opens the FILEs and runs the script in `ide`; the exit status.
int RunIde(Ide& ide, HostObserver& observer, const CommandLine& commandLine,
           const Settings& settings, CheckedOutput& out, std::FILE* scriptFile,
           const std::string& scriptName) {
  if (!commandLine.Packages().empty()) {
    for (const std::string& package : commandLine.Packages())
      ide.LoadPackage(package);
  } else if (!commandLine.NoPackage()) {
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
      PrintIdentity(out, *loaded);
    out.Check();
    return 0;
  }
  for (const std::string& file : commandLine.Files())
    ide.Open(file);
  out.Check();

  ScriptRunner runner(ide, out);
  std::optional<ScriptRunner::Failure> failure;
  if (scriptFile != nullptr)
    failure = runner.Run(scriptFile, scriptName);
  else if (settings.script == "-" || !StandardInputIsTerminal())
    failure = runner.Run(stdin, scriptName);
  if (!failure) return 0;
  out.Flush();
  std::fprintf(stderr, "zeb-host: %s:%d: %s\n", scriptName.c_str(), failure->line,
               failure->reason.c_str());
  return failure->status;
}

// Raises the IDE's exceptions for what stops the run before the script (a script that cannot
// be opened, a FILE that cannot be read) and EOutputError when the output fails.
int Run(const CommandLine& commandLine, const Settings& settings, CheckedOutput& out) {
  const bool fromStdin = settings.script.empty() || settings.script == "-";
  const std::string scriptName = fromStdin ? "<stdin>" : settings.script;
  File scriptFile(nullptr, &std::fclose);
  if (!fromStdin) scriptFile.reset(OpenScript(settings.script));

  HostObserver observer(out, stderr, settings.strict);
  int status = 0;
  {
    // The packages unload, and report what they still hold, before the status is decided.
    Ide ide(observer);
    status = RunIde(ide, observer, commandLine, settings, out, scriptFile.get(), scriptName);
  }
  if (status == 0 && settings.strict && observer.Problems() > 0) {
    out.Flush();
    std::fprintf(stderr, "zeb-host: --strict: %d problem%s with add-ins\n", observer.Problems(),
                 observer.Problems() == 1 ? "" : "s");
    return 3;
  }
  return status;
}

}  // namespace
}  // namespace zeb

int main(int argc, char** argv) {
  using namespace zeb;
  UseBinaryStandardStreams();
  CheckedOutput out(stdout);
  CommandLine commandLine("zeb-host", ZEB_VERSION, "", "Files to open as modules");
  Settings settings;
  AddOptions(commandLine, settings);
  if (const auto status = commandLine.Parse(Utf8Arguments(argc, argv), out)) return *status;
  Document::SetUndoBudgetFloor(settings.undoBudget << 20);
  int status = 2;
  // Whatever stops the run is reported here, once; script lines report their own failures.
  try {
    status = Run(commandLine, settings, out);
  } catch (const EOutputError&) {
    status = 1;  // said below
  } catch (const Exception& e) {
    out.Flush();
    std::fprintf(stderr, "zeb-host: %s\n", e.Message().c_str());
  } catch (...) {
    const ExceptionDescription d = DescribeException(std::current_exception());
    out.Flush();
    std::fprintf(stderr, "zeb-host: %s: %s\n", d.className.c_str(), d.message.c_str());
  }
  out.Flush();
  if (out.Failed()) {
    std::fprintf(stderr, "zeb-host: %s\n", out.Reason().c_str());
    if (status == 0) status = 1;
  }
  return status;
}
