#include "ide/headless/ScriptRunner.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <limits>

#include "ide/core/Join.h"
#include "ide/core/KeyName.h"

namespace zeb {

using zeb::EditView;
using zeb::KeyOutcome;
using zeb::TextPos;

namespace {
std::int32_t Number(const std::string& text, const char* what) {
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 1)
    throw EScriptError(std::string(what) + " must be a positive number, not \"" + text + "\"");
  return value;
}

EditView& Top(zeb::Ide& ide) {
  const auto view = ide.TopView();
  if (!view) throw EScriptError("no file is open");
  return *view;
}

TextPos Position(EditView& view, const std::string& line, const std::string& col) {
  const TextPos pos{Number(line, "a line"), Number(col, "a column")};
  if (!view.GetDocument().IsValid(pos))
    throw EScriptError("line " + line + " column " + col + " is not in the text");
  return pos;
}

const char* OutcomeText(KeyOutcome outcome) {
  switch (outcome) {
    case KeyOutcome::Handled:
    case KeyOutcome::Faulted:  // the press counts as consumed
      return "handled";
    case KeyOutcome::PassedOn:
      return "passed on";
    case KeyOutcome::NotBound:
      return "not bound";
    case KeyOutcome::Pending:
      return "pending";
  }
  return "";
}

// The words of a synopsis: "L1 C1 L2 C2" gives four.
std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find(' ', at), text.size());
    if (end > at) words.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return words;
}
}  // namespace

// ---- The command table ----------------------------------------------------------------------

std::span<const ScriptCommand> ScriptRunner::Commands() {
  static constexpr ScriptCommand kCommands[] = {
      {"open", "PATH", "open PATH as a module, or switch to it; its view becomes the top view",
       &ScriptRunner::Open},
      {"view", "PATH", "make a view of PATH, a file of an open module, the top view",
       &ScriptRunner::View},
      {"split", "", "open a second view of the top view's file as the top view",
       &ScriptRunner::SplitView},
      {"select", "L1 C1 L2 C2", "select from line L1 column C1 up to, not including, L2 C2",
       &ScriptRunner::Select},
      {"deselect", "", "drop the block", &ScriptRunner::Deselect},
      {"cursor", "L C", "move the cursor to line L column C", &ScriptRunner::Cursor},
      {"key", "KEY", "press KEY (Tab, Shift+Tab, Ctrl+Alt+U, A, F1, Num5, 0x2009, ...)",
       &ScriptRunner::Key},
      {"type", "TEXT", "insert TEXT at the cursor, replacing the block", &ScriptRunner::Type},
      {"undo", "", "undo one step", &ScriptRunner::Undo},
      {"redo", "", "redo one step", &ScriptRunner::Redo},
      {"print", "", "write the top view's whole text to standard output, exactly",
       &ScriptRunner::Print},
      {"save", "[PATH]", "save the top view's file; with PATH, write a copy there instead",
       &ScriptRunner::Save},
      {"echo", "TEXT...", "write the words to standard output", &ScriptRunner::Echo},
  };
  return kCommands;
}

const ScriptCommand* ScriptRunner::Find(std::string_view name) {
  for (const ScriptCommand& command : Commands())
    if (command.name == name) return &command;
  return nullptr;
}

std::string ScriptCommand::Synopsis() const {
  return arguments.empty() ? std::string(name) : std::string(name) + " " + std::string(arguments);
}

std::size_t ScriptCommand::MinArguments() const {
  std::size_t n = 0;
  for (const std::string_view word : Words(arguments))
    if (!word.starts_with('[') && !word.ends_with("...")) ++n;
  return n;
}

std::size_t ScriptCommand::MaxArguments() const {
  const auto words = Words(arguments);
  for (const std::string_view word : words)
    if (word.ends_with("...")) return std::numeric_limits<std::size_t>::max();
  return words.size();
}

// ---- Running --------------------------------------------------------------------------------

void ScriptRunner::Put(std::string_view text) {
  out_->Line(text);
}

std::optional<ScriptRunner::Failure> ScriptRunner::Run(std::FILE* script, const std::string& name) {
  std::string text;
  int line = 0;
  std::optional<Failure> failure;
  while (!failure) {
    errno = 0;
    int c = std::getc(script);
    if (c == EOF) break;
    // A line is whatever bytes come before '\n' or the end, NUL bytes included.
    text.clear();
    ++line;
    for (; c != EOF && c != '\n'; c = std::getc(script)) {
      if (text.size() == kMaxLineBytes)
        return Failure{line, "the line is longer than " + std::to_string(kMaxLineBytes >> 20) +
                                 " MiB, the most a script line may hold"};
      text += static_cast<char>(c);
    }
    failure = RunLine(text, line);
    out_->Check();
  }
  const int error = errno;
  // The end of the script and a failed read both end the reading: only the first is the end.
  if (!failure && std::ferror(script))
    throw EInOutError("cannot read script " + name + ": " +
                      std::strerror(error != 0 ? error : EIO));
  return failure;
}

std::optional<ScriptRunner::Failure> ScriptRunner::RunLine(std::string_view text, int line) {
  // A comment is skipped before it is split: its quotes and backslashes are only text.
  if (IsSkipped(text)) return std::nullopt;
  try {
    const ScriptArgs args = SplitLine(text);
    const ScriptCommand* command = Find(args[0]);
    if (command == nullptr) {
      std::vector<std::string> names;
      for (const ScriptCommand& c : Commands())
        names.emplace_back(c.name);
      throw EScriptError("unknown command \"" + args[0] +
                         "\" (commands: " + zeb::Join(names, ", ") + ")");
    }
    const std::size_t n = args.size() - 1;
    if (n < command->MinArguments() || n > command->MaxArguments())
      throw EScriptError("usage: " + command->Synopsis());
    (this->*command->handler)(args);
  } catch (const EScriptError& e) {
    return Failure{line, e.Message(), e.Status()};
  } catch (const Exception& e) {
    // The IDE's own failures carry a message written for the user.
    return Failure{line, e.Message(), 2};
  } catch (...) {
    const ExceptionDescription d = DescribeException(std::current_exception());
    return Failure{line, d.className + ": " + d.message, 2};
  }
  return std::nullopt;
}

// ---- The commands ---------------------------------------------------------------------------

void ScriptRunner::Open(const ScriptArgs& args) {
  ide_->Open(args[1]);
}

void ScriptRunner::View(const ScriptArgs& args) {
  ide_->ShowFile(args[1]);
}

void ScriptRunner::SplitView(const ScriptArgs&) {
  Top(*ide_);
  ide_->Split();
}

void ScriptRunner::Select(const ScriptArgs& args) {
  EditView& view = Top(*ide_);
  const TextPos from = Position(view, args[1], args[2]);
  const TextPos to = Position(view, args[3], args[4]);
  if (to < from) throw EScriptError("the block ends before it starts");
  view.Select(from, to);
}

void ScriptRunner::Deselect(const ScriptArgs&) {
  Top(*ide_).Deselect();
}

void ScriptRunner::Cursor(const ScriptArgs& args) {
  EditView& view = Top(*ide_);
  view.SetCursor(Position(view, args[1], args[2]));
}

void ScriptRunner::Key(const ScriptArgs& args) {
  Top(*ide_);
  const auto code = zeb::KeyName::Parse(args[1]);
  if (!code) throw EScriptError("\"" + args[1] + "\" is not a key");
  const KeyOutcome outcome = ide_->PressKey(*code);
  Put("key " + args[1] + " " + zeb::KeyName::Hex(*code) + " " + OutcomeText(outcome));
}

void ScriptRunner::Type(const ScriptArgs& args) {
  Top(*ide_).InsertText(args[1]);
}

void ScriptRunner::Undo(const ScriptArgs&) {
  Top(*ide_).Undo();
}

void ScriptRunner::Redo(const ScriptArgs&) {
  Top(*ide_).Redo();
}

void ScriptRunner::Print(const ScriptArgs&) {
  out_->Write(Top(*ide_).GetDocument().Buffer().ToBytes());
}

void ScriptRunner::Save(const ScriptArgs& args) {
  zeb::Document& document = Top(*ide_).GetDocument();
  try {
    if (args.size() == 2)
      document.SaveCopy(args[1]);
    else
      document.Save();
  } catch (const EInOutError& e) {
    throw EScriptError(e.Message(), 1);
  }
}

void ScriptRunner::Echo(const ScriptArgs& args) {
  Put(zeb::Join(ScriptArgs(args.begin() + 1, args.end()), " "));
}

}  // namespace zeb
