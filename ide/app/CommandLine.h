// CommandLine: the command line that zeb-host and zeb-ide share, and the help texts that say it.
//
//   PROGRAM [--package FILE... | --no-package] [options of the front end] [FILE...]
//
// --package FILE (repeatable) loads only those packages, --no-package none, and without either
// the IDE loads every package of the packages folders, which PackagesHelp names. --help and
// --version are answered here, before any window or IDE exists, so they need no display. A front
// end adds its own options to App() before Parse.
//
// The FILEs are handed over as they were written: a front end may read more into them (a line
// number after a name, a "+LINE" before one) without this parser knowing.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "ide/app/CheckedOutput.h"

namespace zeb {

class CommandLine {
 public:
  // `filesHelp` describes the FILEs ("Files to open").
  CommandLine(std::string program, const std::string& version, const std::string& description,
              const std::string& filesHelp);
  // CLI11 keeps pointers to the members it fills.
  CommandLine(const CommandLine&) = delete;
  CommandLine& operator=(const CommandLine&) = delete;

  CLI::App& App() noexcept { return app_; }
  // The help's text after the options; PackagesHelp() is a good start.
  void SetFooter(const std::string& footer) { app_.footer(footer); }

  // Parses the arguments, args[0] being the program. Nothing when the program is to go on;
  // otherwise its exit status: 0 after --help or --version (printed on `out`), 2 after a bad
  // argument (one line on standard error), 1 when `out` could not take the help.
  std::optional<int> Parse(const std::vector<std::string>& args, CheckedOutput& out);

  // The packages named with --package, in their order; empty when none was.
  const std::vector<std::string>& Packages() const noexcept { return packages_; }
  bool NoPackage() const noexcept { return noPackage_; }
  const std::vector<std::string>& Files() const noexcept { return files_; }

  // Where packages come from, for the help: the system packages folder of the installation the
  // program runs from, then the user's, each package file in them; only the --package FILEs
  // when there are any.
  std::string PackagesHelp() const;

 private:
  std::string program_;
  CLI::App app_;
  std::vector<std::string> packages_;
  bool noPackage_ = false;
  std::vector<std::string> files_;
};

}  // namespace zeb
