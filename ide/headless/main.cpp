// zeb-host: the headless IDE. Loads the add-in package, opens files, runs a script.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "ide/core/Ide.h"
#include "ide/headless/HostObserver.h"
#include "ide/headless/ScriptRunner.h"
#include "runtime/Exceptions.h"

namespace {

constexpr const char* kUsage =
    "usage: zeb-host [--package FILE | --no-package] [--script FILE] [--packages]\n"
    "                [--undo-budget MIB] [FILE...]\n"
    "\n"
    "Loads the package (by default ZEB_IDE_Addin_2007.so beside zeb-host), opens the FILEs,\n"
    "then runs the script from --script FILE, or from standard input when that is not a\n"
    "terminal.\n"
    "\n"
    "  --package FILE  load this package instead of the default one\n"
    "  --no-package    load no package\n"
    "  --script FILE   read the script from FILE ('-' for standard input)\n"
    "  --packages      print the identities of the loaded packages and stop\n"
    "  --undo-budget MIB  keep at least MIB MiB of undo history a file (default 256; a file\n"
    "                  keeps four times its size if that is more)\n"
    "  --help          print this help and stop\n"
    "  --version       print the version and stop\n"
    "\n"
    "Script commands, one a line ('#' starts a comment line):\n"
    "  open PATH            open PATH as a module, or switch to it\n"
    "  view PATH            show a file of an open module (a companion too) in the top view\n"
    "  split                open a second view of the top view's file\n"
    "  select L1 C1 L2 C2   select from line L1 column C1 up to (not including) L2 C2\n"
    "  deselect             drop the block\n"
    "  cursor L C           move the cursor\n"
    "  key SPEC             press a key: Tab, Shift+Tab, Ctrl+Alt+U, a letter, 0x2009, ...\n"
    "  type TEXT            insert TEXT at the cursor, replacing the block\n"
    "  undo, redo           undo or redo one step\n"
    "  print                write the top view's text to standard output\n"
    "  save [PATH]          save the top view's file (or write a copy to PATH)\n"
    "  echo TEXT...         write the words to standard output\n"
    "\n"
    "Exit status: 0 when the script ran to its end, 2 for a bad argument or script line, 1 when\n"
    "a save failed.\n";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "zeb-host: %s\n%s", problem.c_str(), kUsage);
  return 2;
}

void PrintIdentity(const zebide::Package& package) {
  const zebide::PackageIdentity& id = package.Identity();
  auto join = [](const std::vector<std::string>& list) {
    std::string text;
    for (const std::string& item : list)
      text += (text.empty() ? "" : ", ") + item;
    return text;
  };
  std::printf("%s\n", id.name.c_str());
  std::printf("  file: %s\n", package.Path().c_str());
  std::printf("  description: %s\n", id.description.c_str());
  std::printf("  design-only: %s\n", id.designOnly ? "yes" : "no");
  std::printf("  version: %s (product %s), language 0x%04X, code page %u\n", id.fileVersion.c_str(),
              id.productVersion.c_str(), static_cast<unsigned>(id.languageId),
              static_cast<unsigned>(id.codePage));
  std::printf("  requires: %s\n", join(id.requiredPackages).c_str());
  std::printf("  contains: %s\n", join(id.containedUnits).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  std::string package;
  bool noPackage = false;
  std::string scriptPath;
  bool listPackages = false;
  std::vector<std::string> files;

  const std::vector<std::string> args(argv + 1, argv + argc);
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](const char* option) -> const std::string* {
      if (i + 1 >= args.size()) return nullptr;
      (void)option;
      return &args[++i];
    };
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--version") {
      std::printf("zeb-host %s\n", ZEB_VERSION);
      return 0;
    }
    if (arg == "--package") {
      const std::string* v = value("--package");
      if (v == nullptr) return Usage("--package needs a FILE");
      package = *v;
    } else if (arg == "--no-package") {
      noPackage = true;
    } else if (arg == "--script") {
      const std::string* v = value("--script");
      if (v == nullptr) return Usage("--script needs a FILE");
      scriptPath = *v;
    } else if (arg == "--packages") {
      listPackages = true;
    } else if (arg == "--undo-budget") {
      const std::string* v = value("--undo-budget");
      char* end = nullptr;
      const unsigned long long mib = v == nullptr ? 0 : std::strtoull(v->c_str(), &end, 10);
      if (v == nullptr || v->empty() || *end != '\0' || (*v)[0] == '-' || mib > (1ull << 40))
        return Usage("--undo-budget needs a number of MiB");
      zebide::Document::SetUndoBudgetFloor(static_cast<std::size_t>(mib) << 20);
    } else if (arg == "--") {
      files.insert(files.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      break;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage("unknown option " + arg);
    } else {
      files.push_back(arg);
    }
  }
  if (noPackage && !package.empty()) return Usage("--package and --no-package exclude each other");

  std::ifstream scriptFile;
  if (!scriptPath.empty() && scriptPath != "-") {
    scriptFile.open(scriptPath, std::ios::binary);
    if (!scriptFile) {
      std::fprintf(stderr, "zeb-host: cannot open the script %s: %s\n", scriptPath.c_str(),
                   std::strerror(errno));
      return 2;
    }
  }

  int status = 0;
  {
    zebhost::HostObserver observer(stdout, stderr);
    zebide::Ide ide(observer);
    if (!noPackage) {
      if (package.empty()) package = ide.Environment().binDirectory + "ZEB_IDE_Addin_2007.so";
      ide.LoadPackage(package);
    }
    if (listPackages) {
      for (const auto& loaded : ide.Packages())
        PrintIdentity(*loaded);
      std::fflush(stdout);
      return 0;
    }
    for (const std::string& file : files) {
      try {
        ide.Open(file);
      } catch (const Exception& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "zeb-host: %s\n", e.Message().c_str());
        return 2;
      }
    }

    zebhost::ScriptRunner runner(ide, stdout);
    std::optional<zebhost::ScriptRunner::Failure> failure;
    const std::string scriptName = scriptPath.empty() || scriptPath == "-" ? "<stdin>" : scriptPath;
    if (scriptFile.is_open())
      failure = runner.Run(scriptFile);
    else if (scriptPath == "-" || ::isatty(STDIN_FILENO) == 0)
      failure = runner.Run(std::cin);
    std::fflush(stdout);
    if (failure) {
      std::fprintf(stderr, "zeb-host: %s:%d: %s\n", scriptName.c_str(), failure->line,
                   failure->reason.c_str());
      status = failure->status;
    }
  }
  std::fflush(stdout);
  return status;
}
