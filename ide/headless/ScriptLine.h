// ScriptLine: how zeb-host reads one line of a script.
//
// A line that is blank, or whose first non-blank character is '#', is skipped whatever else it
// holds. Any other line is words separated by blanks (space, tab, carriage return): the first is
// the command, the rest its arguments. A word that starts with a double quote runs to the next
// unescaped double quote and may hold blanks; in it \" \\ \n \t stand for a quote, a backslash, a
// line break and a tab, any other escape is an error, and the closing quote must end the word.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/Exceptions.h"

namespace zeb {

// A script line that cannot run: a bad line (status 2) or a command the system could not carry
// out (status 1).
class EScriptError final : public Exception {
 public:
  explicit EScriptError(std::string message, int status = 2)
      : Exception(std::move(message)), status_(status) {}
  const char* ClassName() const noexcept override { return "EScriptError"; }
  int Status() const noexcept { return status_; }

 private:
  int status_;
};

using ScriptArgs = std::vector<std::string>;  // the command's name, then its arguments

// Whether the line is skipped: blank, or a comment.
bool IsSkipped(std::string_view line);
// The words of a line that is not skipped. Raises EScriptError for an unterminated quote, an
// unknown escape, or a closing quote followed by more of the word.
ScriptArgs SplitLine(std::string_view line);

}  // namespace zeb
