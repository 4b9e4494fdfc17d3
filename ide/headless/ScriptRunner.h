// ScriptRunner: runs zeb-host scripts against the IDE core.
//
// One command a line, read as ScriptLine says; a line holds at most kMaxLineBytes bytes, so that
// a script without line breaks (/dev/zero) stops with an error instead of filling the memory.
// Lines and columns are 1-based; a column counts bytes. The commands are the table Commands()
// returns; help texts and the messages for bad lines are made from it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ide/app/CheckedOutput.h"
#include "ide/app/Ide.h"
#include "ide/headless/ScriptLine.h"

namespace zeb {

class ScriptRunner;

// A script command. `arguments` is its synopsis: words it needs, "[WORD]" for one that may be
// left out, "WORD..." for any number; it also decides how many arguments the command takes.
struct ScriptCommand {
  std::string_view name;
  std::string_view arguments;
  std::string_view usage;  // what it does, for help texts
  void (ScriptRunner::*handler)(const ScriptArgs& args);

  // "select L1 C1 L2 C2"
  std::string Synopsis() const;
  std::size_t MinArguments() const;
  std::size_t MaxArguments() const;
};

class ScriptRunner {
 public:
  struct Failure {
    int line = 0;  // the script's line, from 1
    std::string reason;
    int status = 2;  // 2 for a bad line, 1 for a command the system could not carry out
  };

  // The longest line a script may hold, without its line feed: 64 MiB.
  static constexpr std::size_t kMaxLineBytes = std::size_t{64} << 20;

  // What the commands print goes to `out`.
  ScriptRunner(zeb::Ide& ide, CheckedOutput& out) : ide_(&ide), out_(&out) {}

  // Every command, in the order help texts list them.
  static std::span<const ScriptCommand> Commands();
  static const ScriptCommand* Find(std::string_view name);

  // Runs the script to its end or to the first line that fails. Raises EInOutError when the
  // script cannot be read (`name` says which in the message), even part way through, and
  // EOutputError as soon as the output could not take what a line printed.
  std::optional<Failure> Run(std::FILE* script, const std::string& name);
  // Runs one line (its number for messages only). Whatever the command raises becomes the
  // line's failure: this is where zeb-host catches the errors of script commands.
  std::optional<Failure> RunLine(std::string_view text, int line);

 private:
  void Put(std::string_view text);

  void Open(const ScriptArgs& args);
  void View(const ScriptArgs& args);
  void SplitView(const ScriptArgs& args);
  void Select(const ScriptArgs& args);
  void Deselect(const ScriptArgs& args);
  void Cursor(const ScriptArgs& args);
  void Key(const ScriptArgs& args);
  void Type(const ScriptArgs& args);
  void Undo(const ScriptArgs& args);
  void Redo(const ScriptArgs& args);
  void Print(const ScriptArgs& args);
  void Save(const ScriptArgs& args);
  void Echo(const ScriptArgs& args);

  zeb::Ide* ide_;
  CheckedOutput* out_;
};

}  // namespace zeb
