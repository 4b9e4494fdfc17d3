#include "ide/headless/ScriptRunner.h"

#include <charconv>
#include <cstdint>
#include <exception>

#include "ide/core/KeySpec.h"
#include "runtime/Exceptions.h"

namespace zebhost {

using zebide::EditView;
using zebide::KeyOutcome;
using zebide::TextPos;

namespace {
// A script command that cannot go on; becomes a Failure with the line's number.
struct Stop {
  std::string reason;
  int status = 2;
};

std::int32_t Number(const std::string& text, const char* what) {
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 1)
    throw Stop{std::string(what) + " must be a positive number, not \"" + text + "\""};
  return value;
}

void Expect(const std::vector<std::string>& args, std::size_t min, std::size_t max,
            const char* usage) {
  const std::size_t n = args.size() - 1;
  if (n < min || n > max) throw Stop{std::string("usage: ") + usage};
}

EditView& Top(zebide::Ide& ide) {
  const auto view = ide.TopView();
  if (!view) throw Stop{"no file is open"};
  return *view;
}

TextPos Position(EditView& view, const std::string& line, const std::string& col) {
  const TextPos pos{Number(line, "a line"), Number(col, "a column")};
  if (!view.GetDocument().IsValid(pos))
    throw Stop{"line " + line + " column " + col + " is not in the text"};
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
}  // namespace

std::optional<std::vector<std::string>> ScriptRunner::Split(std::string_view text,
                                                            std::string& error) {
  std::vector<std::string> args;
  std::size_t i = 0;
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (true) {
    while (i < text.size() && blank(text[i]))
      ++i;
    if (i == text.size()) break;
    std::string arg;
    if (text[i] == '"') {
      ++i;
      bool closed = false;
      while (i < text.size()) {
        const char c = text[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c != '\\') {
          arg += c;
          continue;
        }
        if (i == text.size()) break;
        const char e = text[i++];
        if (e == 'n')
          arg += '\n';
        else if (e == 't')
          arg += '\t';
        else if (e == '"' || e == '\\')
          arg += e;
        else {
          error = std::string("unknown escape \\") + e + " in quotes";
          return std::nullopt;
        }
      }
      if (!closed) {
        error = "a quote is not closed";
        return std::nullopt;
      }
      if (i < text.size() && !blank(text[i])) {
        error = "a closing quote must end its argument";
        return std::nullopt;
      }
    } else {
      while (i < text.size() && !blank(text[i]))
        arg += text[i++];
    }
    args.push_back(std::move(arg));
  }
  return args;
}

void ScriptRunner::Put(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), out_);
  std::fputc('\n', out_);
}

std::optional<ScriptRunner::Failure> ScriptRunner::Run(std::istream& script) {
  std::string text;
  int line = 0;
  while (std::getline(script, text)) {
    ++line;
    if (auto failure = RunLine(text, line)) return failure;
  }
  return std::nullopt;
}

std::optional<ScriptRunner::Failure> ScriptRunner::RunLine(std::string_view text, int line) {
  // A comment is skipped before it is split: its quotes and backslashes are only text.
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos || text[first] == '#') return std::nullopt;
  std::string error;
  const auto split = Split(text, error);
  if (!split) return Failure{line, error, 2};
  const std::vector<std::string>& args = *split;
  const std::string& command = args[0];
  zebide::Ide& ide = *ide_;
  try {
    if (command == "echo") {
      std::string words;
      for (std::size_t i = 1; i < args.size(); ++i)
        words += (i > 1 ? " " : "") + args[i];
      Put(words);
    } else if (command == "open") {
      Expect(args, 1, 1, "open PATH");
      try {
        ide.Open(args[1]);
      } catch (const EInOutError& e) {
        throw Stop{e.Message()};
      }
    } else if (command == "view") {
      Expect(args, 1, 1, "view PATH");
      try {
        ide.ShowFile(args[1]);
      } catch (const EInvalidOperation& e) {
        throw Stop{e.Message()};
      }
    } else if (command == "split") {
      Expect(args, 0, 0, "split");
      Top(ide);
      ide.Split();
    } else if (command == "select") {
      Expect(args, 4, 4, "select L1 C1 L2 C2");
      EditView& view = Top(ide);
      const TextPos from = Position(view, args[1], args[2]);
      const TextPos to = Position(view, args[3], args[4]);
      if (to < from) throw Stop{"the block ends before it starts"};
      view.Select(from, to);
    } else if (command == "deselect") {
      Expect(args, 0, 0, "deselect");
      Top(ide).Deselect();
    } else if (command == "cursor") {
      Expect(args, 2, 2, "cursor L C");
      EditView& view = Top(ide);
      view.SetCursor(Position(view, args[1], args[2]));
    } else if (command == "key") {
      Expect(args, 1, 1, "key SPEC");
      Top(ide);
      const auto code = zebide::KeySpec::Parse(args[1]);
      if (!code) throw Stop{"\"" + args[1] + "\" is not a key"};
      const KeyOutcome outcome = ide.PressKey(*code);
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%04X", static_cast<unsigned>(*code));
      Put("key " + args[1] + " " + hex + " " + OutcomeText(outcome));
    } else if (command == "type") {
      Expect(args, 1, 1, "type TEXT");
      Top(ide).InsertText(args[1]);
    } else if (command == "undo") {
      Expect(args, 0, 0, "undo");
      Top(ide).Undo();
    } else if (command == "redo") {
      Expect(args, 0, 0, "redo");
      Top(ide).Redo();
    } else if (command == "print") {
      Expect(args, 0, 0, "print");
      const std::string bytes = Top(ide).GetDocument().Buffer().ToBytes();
      std::fwrite(bytes.data(), 1, bytes.size(), out_);
    } else if (command == "save") {
      Expect(args, 0, 1, "save [PATH]");
      zebide::Document& document = Top(ide).GetDocument();
      try {
        if (args.size() == 2)
          document.SaveCopy(args[1]);
        else
          document.Save();
      } catch (const EInOutError& e) {
        throw Stop{e.Message(), 1};
      }
    } else {
      throw Stop{"unknown command \"" + command + "\""};
    }
  } catch (const Stop& stop) {
    return Failure{line, stop.reason, stop.status};
  } catch (const std::exception&) {
    // Anything else a command raised stops the script just the same, at its line.
    const ExceptionDescription d = DescribeException(std::current_exception());
    return Failure{line, d.className + ": " + d.message, 2};
  }
  return std::nullopt;
}

}  // namespace zebhost
