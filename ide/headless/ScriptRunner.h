// ScriptRunner: runs zeb-host scripts against the IDE core.
//
// One command a line; blank lines and lines starting with '#' are skipped. Arguments are
// separated by blanks; an argument in double quotes may hold blanks, and in quotes \" \\ \n \t
// stand for a quote, a backslash, a line break and a tab. Commands:
//   open PATH | view PATH | split | select L1 C1 L2 C2 | deselect | cursor L C | key SPEC |
//   type TEXT | undo | redo | print | save [PATH] | echo TEXT...
// Lines and columns are 1-based; a column counts bytes. `save PATH` writes a copy to PATH and
// leaves the document as it is.
#pragma once

#include <cstdio>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ide/core/Ide.h"

namespace zebhost {

class ScriptRunner {
 public:
  struct Failure {
    int line = 0;  // the script's line, from 1
    std::string reason;
    int status = 2;  // 2 for a bad line, 1 for a command the system could not carry out
  };

  ScriptRunner(zebide::Ide& ide, std::FILE* out) : ide_(&ide), out_(out) {}

  // Runs the script to its end or to the first line that fails.
  std::optional<Failure> Run(std::istream& script);
  // Runs one line (its number for messages only).
  std::optional<Failure> RunLine(std::string_view text, int line);

  // Splits a line into its arguments; nothing, with `error` set, for an unterminated quote or a
  // bad escape.
  static std::optional<std::vector<std::string>> Split(std::string_view text, std::string& error);

 private:
  void Put(std::string_view text);

  zebide::Ide* ide_;
  std::FILE* out_;
};

}  // namespace zebhost
