// A model of the editor against the real one. The model is a deliberately simple reference of a
// file's text, cursor, block and undo history, written apart from the core: the text is a list
// of lines of bytes, every edit a rebuild of it, every undo step a copy of the whole state. Random
// scripts (select and cursor with any coordinates, type with CR, LF, CRLF, NUL and bytes that are
// not UTF-8, Tab, Shift+Tab, Enter, letters, undo, redo and runs of them, save) run on odd files
// through the script runner, in the IDE with the add-in loaded, as zeb-host runs them; after
// every line the text, the cursor, the block and whether the line was refused must agree, and
// after a save the file's bytes.
//
// ZEB_MODEL_SECONDS (default 20) bounds the time, or ZEB_MODEL_RUNS the number of runs;
// ZEB_MODEL_SEED sets the first run's seed (run i uses seed + i; by default a fixed one, or one
// from the clock with ZEB_MODEL_SOAK=1). A failure prints its run's seed and the shortest script
// that still fails, found by taking lines away.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <compare>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "ide/headless/ScriptRunner.h"
#include "testkit/TestSupport.h"

namespace zeb {
namespace {

using zeb::test::ReadFile;
using zeb::test::RecordingObserver;
using zeb::test::TempDir;
using zeb::test::WriteFile;
using namespace std::string_literals;

// ---- The model ------------------------------------------------------------------------------

struct Pos {
  std::int64_t line = 1;
  std::int64_t col = 1;
  friend auto operator<=>(const Pos&, const Pos&) = default;
};

struct State {
  Pos cursor, start, end;  // the block is [start, end), none when they are equal
  bool HasBlock() const { return start != end; }
  friend bool operator==(const State&, const State&) = default;
};

struct Line {
  std::string text;  // without its line end
  std::string end;   // "\n" or "\r\n"; "" for the last line only
  friend bool operator==(const Line&, const Line&) = default;
};

// A script line, as the generator made it.
struct Command {
  enum Kind { Select, Cursor, Type, Key, Undo, Redo, Save } kind;
  std::vector<std::string> words;  // the coordinates, or the key's name
  std::string text;                // what `type` types
};

// The index of a line from 1.
std::size_t Index(std::int64_t line) {
  return static_cast<std::size_t>(line - 1);
}

std::vector<Line> SplitLines(const std::string& bytes) {
  std::vector<Line> lines(1);
  for (const char c : bytes) {
    if (c != '\n') {
      lines.back().text += c;
      continue;
    }
    std::string& text = lines.back().text;
    const bool cr = !text.empty() && text.back() == '\r';
    if (cr) text.pop_back();
    lines.back().end = cr ? "\r\n" : "\n";
    lines.emplace_back();
  }
  return lines;
}

class Model {
 public:
  Model(const std::string& bytes, std::int64_t indent)
      : lines_(SplitLines(bytes)), indent_(indent) {
    const std::size_t lf = bytes.find('\n');
    if (lf != std::string::npos && lf > 0 && bytes[lf - 1] == '\r') lineEnd_ = "\r\n";
  }

  std::string Bytes() const {
    std::string bytes;
    for (const Line& line : lines_)
      bytes += line.text + line.end;
    return bytes;
  }
  const State& Now() const { return state_; }

  // Runs the command; false when zeb-host must refuse it (nothing changes then).
  bool Apply(const Command& c) {
    switch (c.kind) {
      case Command::Select: {
        const auto from = Place(c.words[0], c.words[1]);
        const auto to = Place(c.words[2], c.words[3]);
        if (!from || !to || *to < *from) return false;
        state_ = {*to, *from, *to};
        return true;
      }
      case Command::Cursor: {
        const auto at = Place(c.words[0], c.words[1]);
        if (at) state_ = {*at, *at, *at};
        return at.has_value();
      }
      case Command::Type:
        Type(c.text);
        return true;
      case Command::Key:
        Key(c.words[0]);
        return true;
      case Command::Undo:
      case Command::Redo: {
        auto& from = c.kind == Command::Undo ? undo_ : redo_;
        auto& to = c.kind == Command::Undo ? redo_ : undo_;
        if (from.empty()) return true;
        const Step step = from.back();
        from.pop_back();
        to.push_back(step);
        const Snapshot& shown = c.kind == Command::Undo ? step.before : step.after;
        lines_ = shown.lines;
        state_ = shown.state;
        return true;
      }
      case Command::Save:
        return true;
    }
    return false;
  }

 private:
  struct Snapshot {
    std::vector<Line> lines;
    State state;
  };
  struct Step {
    Snapshot before, after;
  };

  // A place from the words of a script: positive 32-bit numbers, a line of the text, a column
  // from 1 to just after the line's text.
  std::optional<Pos> Place(const std::string& line, const std::string& col) const {
    auto number = [](const std::string& word) -> std::optional<std::int64_t> {
      if (word.empty() || word.size() > 12 ||
          word.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
      const std::int64_t n = std::stoll(word);
      if (n < 1 || n > INT32_MAX) return std::nullopt;
      return n;
    };
    const auto l = number(line), c = number(col);
    if (!l || !c || *l > static_cast<std::int64_t>(lines_.size())) return std::nullopt;
    if (*c > static_cast<std::int64_t>(lines_[Index(*l)].text.size()) + 1) return std::nullopt;
    return Pos{*l, *c};
  }

  std::size_t Offset(Pos pos) const {
    std::size_t offset = 0;
    for (std::int64_t i = 1; i < pos.line; ++i)
      offset += lines_[Index(i)].text.size() + lines_[Index(i)].end.size();
    return offset + static_cast<std::size_t>(pos.col - 1);
  }

  // The place of a byte offset; one inside a line end is the end of that line's text.
  Pos PlaceOf(std::size_t offset) const {
    std::size_t start = 0;
    for (std::size_t i = 0;; ++i) {
      const Line& line = lines_[i];
      if (offset <= start + line.text.size() + (line.end.empty() ? 0 : line.end.size() - 1))
        return Pos{static_cast<std::int64_t>(i + 1),
                   static_cast<std::int64_t>(std::min(offset - start, line.text.size()) + 1)};
      start += line.text.size() + line.end.size();
    }
  }

  void Record(Snapshot before) {
    undo_.push_back({std::move(before), {lines_, state_}});
    redo_.clear();
  }

  // Typing replaces the block, or puts the text at the cursor; each LF (with a CR just before
  // it) becomes the line end the file began with.
  void Type(const std::string& text) {
    const Pos from = state_.HasBlock() ? state_.start : state_.cursor;
    const Pos to = state_.HasBlock() ? state_.end : state_.cursor;
    if (from == to && text.empty()) return;
    std::string converted;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] != '\n') {
        converted += text[i];
        continue;
      }
      if (i > 0 && text[i - 1] == '\r') converted.pop_back();
      converted += lineEnd_;
    }
    std::string bytes = Bytes();
    const std::size_t at = Offset(from);
    bytes.replace(at, Offset(to) - at, converted);
    Snapshot before{lines_, state_};
    lines_ = SplitLines(bytes);
    const Pos cursor = PlaceOf(at + converted.size());
    state_ = {cursor, cursor, cursor};
    Record(std::move(before));
  }

  // A key no one takes inserts its character at the cursor, dropping the block; the add-in
  // takes Tab and Shift+Tab on a block (and passes them on without one, where Shift+Tab does
  // nothing).
  void Key(const std::string& name) {
    std::string text;
    if (name == "Tab" || name == "Shift+Tab") {
      if (state_.HasBlock()) return Indent(name == "Tab" ? indent_ : -indent_);
      if (name == "Shift+Tab") return;
      text = "\t";
    } else if (name == "Enter") {
      text = "\n";
    } else if (name == "Space") {
      text = " ";
    } else if (name.starts_with("Shift+")) {
      text = name.substr(6);
    } else {
      text = std::string(1, static_cast<char>(std::tolower(static_cast<unsigned char>(name[0]))));
    }
    state_ = {state_.cursor, state_.cursor, state_.cursor};
    Type(text);
  }

  // Indents (columns > 0) or unindents the block's lines, from its first to its last, leaving
  // out a last line the block ends at the start of. An indent puts spaces before a line's text
  // (an empty line stays empty); an unindent takes away up to that many columns of leading
  // blanks and tabs (tab stops every 8), with spaces for what a tab must keep.
  void Indent(std::int64_t columns) {
    const Pos first = state_.start;
    const std::int64_t last = state_.end.col == 1 ? state_.end.line - 1 : state_.end.line;
    std::vector<Line> lines = lines_;
    std::vector<std::size_t> oldLead, newLead;
    for (std::int64_t l = first.line; l <= last; ++l) {
      std::string& text = lines[Index(l)].text;
      std::size_t lead = 0;
      std::vector<std::int64_t> widths;  // after each leading blank
      for (std::int64_t w = 0; lead < text.size() && (text[lead] == ' ' || text[lead] == '\t');
           ++lead)
        widths.push_back(w = text[lead] == '\t' ? (w / 8 + 1) * 8 : w + 1);
      if (columns > 0) {
        oldLead.push_back(0);
        newLead.push_back(text.empty() ? 0 : static_cast<std::size_t>(columns));
        text.insert(0, newLead.back(), ' ');
        continue;
      }
      const std::int64_t width = widths.empty() ? 0 : widths.back();
      const std::int64_t target = std::max<std::int64_t>(width + columns, 0);
      std::size_t kept = 0;
      while (kept < lead && widths[kept] <= target)
        ++kept;
      const auto pad = static_cast<std::size_t>(target - (kept == 0 ? 0 : widths[kept - 1]));
      text = text.substr(0, kept) + std::string(pad, ' ') + text.substr(lead);
      oldLead.push_back(lead);
      newLead.push_back(kept + pad);
    }
    if (lines == lines_) return;
    // A place in the text moves with it; one in the leading blanks stays as far as they last;
    // the start of a line stays.
    auto move = [&](Pos pos) {
      if (pos.line < first.line || pos.line > last || pos.col == 1) return pos;
      const std::size_t i = static_cast<std::size_t>(pos.line - first.line);
      const auto offset = static_cast<std::size_t>(pos.col - 1);
      const std::size_t moved =
          offset >= oldLead[i] ? offset - oldLead[i] + newLead[i] : std::min(offset, newLead[i]);
      return Pos{pos.line, static_cast<std::int64_t>(moved) + 1};
    };
    Snapshot before{lines_, state_};
    lines_ = std::move(lines);
    state_ = {move(state_.cursor), move(state_.start), move(state_.end)};
    Record(std::move(before));
  }

  std::vector<Line> lines_;
  std::int64_t indent_;
  std::string lineEnd_ = "\n";
  State state_;
  std::vector<Step> undo_, redo_;
};

// ---- Scripts --------------------------------------------------------------------------------

// Text as a script's argument: in quotes with \" \\ \n escaped, every other byte as it is.
std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (const char ch : text)
    quoted += ch == '\n'                ? std::string("\\n")
              : ch == '"' || ch == '\\' ? std::string{'\\', ch}
                                        : std::string(1, ch);
  return quoted + "\"";
}

std::string ScriptLine(const Command& c) {
  static const char* const kNames[] = {"select", "cursor", "type", "key", "undo", "redo", "save"};
  std::string line = kNames[c.kind];
  for (const std::string& word : c.words)
    line += " " + word;
  return c.kind == Command::Type ? line + " " + Quoted(c.text) : line;
}

// The add-in's indent: 2 columns in a ".pas" file, whatever the case of its letters, 4 elsewhere.
std::int64_t IndentOf(const std::string& name) {
  std::string lower = name;
  for (char& ch : lower)
    ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return lower.ends_with(".pas") ? 2 : 4;
}

// Bytes as a C string, for messages.
std::string Shown(const std::string& bytes) {
  std::ostringstream out;
  out << '"';
  for (const char ch : bytes) {
    const auto u = static_cast<unsigned char>(ch);
    if (ch == '\n')
      out << "\\n";
    else if (ch == '\r')
      out << "\\r";
    else if (ch == '\t')
      out << "\\t";
    else if (ch == '"' || ch == '\\')
      out << '\\' << ch;
    else if (u < 0x20 || u >= 0x7F)
      out << "\\x"
          << "0123456789ABCDEF"[u >> 4] << "0123456789ABCDEF"[u & 15];
    else
      out << ch;
  }
  out << '"';
  return out.str();
}

std::string Shown(const State& s) {
  auto pos = [](Pos p) { return std::to_string(p.line) + ":" + std::to_string(p.col); };
  return "cursor " + pos(s.cursor) + ", block " + pos(s.start) + "-" + pos(s.end);
}

struct Scenario {
  std::string name;  // the file's name
  std::string bytes;
  std::vector<Command> commands;
};

// Odd files, and random ones made of odd pieces.
Scenario Generate(std::uint64_t seed) {
  std::mt19937_64 random(seed);
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  static const char* const kNames[] = {"u.pas", "U.PAS",    "p.dpr",    "m.cpp",
                                       "n.txt", "Makefile", "u.pas.txt"};
  // Packed by hand: the formatter would put each on a line of its own.
  // clang-format off
  static const std::string kFiles[] = {
      "", "\n", "\r\n", "abc", "abc\ndef\n", "a\r\nb\r\n", "a\nb\r\nc", "a\rb\n", "\r", "\r\r\n\r",
      "\t\tx\n  y\n\t z", "begin\n  x := 1;\n\ty := 2;\nend.\n", "n\0l\n\0"s,
      "\xC3\xA9t\xC3\xA9\r\n\xFF\xFE\n"};
  static const std::string kPieces[] = {
      "", "x", "ab", "\n", "\r", "\r\n", "\n\r", "\t", " ", "    ", "\0"s, "\xC3\xA9", "\xC3",
      "\xFF", "\"", "\\", "begin", "end;"};
  // clang-format on
  Scenario s;
  s.name = kNames[pick(std::size(kNames))];
  if (pick(3) == 0) {
    s.bytes = kFiles[pick(std::size(kFiles))];
  } else {
    for (std::size_t n = pick(16); n > 0; --n)
      s.bytes += kPieces[pick(std::size(kPieces))];
  }

  // The commands are made against the model's text, so that most places are in it.
  Model model(s.bytes, IndentOf(s.name));
  auto text = [&] {
    std::string t;
    for (std::size_t n = pick(4); n > 0; --n)
      t += kPieces[pick(std::size(kPieces))];
    return t;
  };
  auto coordinate = [&](std::int64_t valid) {
    switch (pick(24)) {
      case 0:
        return std::to_string(valid + 1);
      case 1:
        return std::string("0");
      case 2:
        return std::string("-1");
      case 3:
        return std::string("2147483648");
      case 4:
        return std::string("1");
      default:
        return std::to_string(1 + pick(static_cast<std::size_t>(valid)));
    }
  };
  auto place = [&](std::vector<std::string>& words) {
    const std::vector<Line> lines = SplitLines(model.Bytes());
    const std::string line = coordinate(static_cast<std::int64_t>(lines.size()));
    const std::size_t l =
        std::clamp<std::size_t>(std::strtoull(line.c_str(), nullptr, 10), 1, lines.size());
    words.push_back(line);
    // Whole lines often, so that blocks cover lines as a user selects them.
    words.push_back(
        pick(3) == 0 ? "1" : coordinate(static_cast<std::int64_t>(lines[l - 1].text.size()) + 1));
  };
  static const char* const kKeys[] = {"Tab", "Tab", "Tab",     "Shift+Tab", "Shift+Tab", "Enter",
                                      "A",   "Q",   "Shift+Z", "7",         "Space"};
  for (std::size_t n = 5 + pick(80); n > 0; --n) {
    Command c{};
    const std::size_t r = pick(1000);
    if (r < 200) {
      c.kind = Command::Select;
      place(c.words);
      place(c.words);
      // In order mostly; the other way round is refused.
      auto number = [&](std::size_t i) { return std::strtoll(c.words[i].c_str(), nullptr, 10); };
      if (pick(5) != 0 && std::pair(number(2), number(3)) < std::pair(number(0), number(1)))
        std::swap(c.words[0], c.words[2]), std::swap(c.words[1], c.words[3]);
    } else if (r < 280) {
      c.kind = Command::Cursor;
      place(c.words);
    } else if (r < 480) {
      c.kind = Command::Type;
      c.text = text();
    } else if (r < 760) {
      c.kind = Command::Key;
      c.words.push_back(kKeys[pick(std::size(kKeys))]);
    } else if (r < 998) {
      // Runs of undo and redo.
      c.kind = pick(2) == 0 ? Command::Undo : Command::Redo;
      for (std::size_t k = pick(3); k > 0 && n > 1; --k, --n) {
        s.commands.push_back(c);
        model.Apply(c);
      }
    } else {
      c.kind = Command::Save;  // seldom: a save waits for the disk twice
    }
    s.commands.push_back(c);
    model.Apply(c);
  }
  return s;
}

// ---- Running against the IDE ----------------------------------------------------------------

// The IDE with the add-in, and a folder for the files; one for all the runs.
class Harness {
 public:
  Harness() : ide_(observer_, zeb::Ide::Options()) { loaded_ = ide_.LoadPackage(ZEB_ADDIN_PATH); }
  ~Harness() { std::fclose(file_); }
  Harness(const Harness&) = delete;
  Harness& operator=(const Harness&) = delete;
  bool Loaded() const { return loaded_; }

  // Runs the commands on the scenario's file; what differed first, with the number of the
  // command (from 1), or nothing when the model and the IDE agree throughout.
  std::optional<std::pair<std::size_t, std::string>> Check(const Scenario& s,
                                                           const std::vector<Command>& commands) {
    const std::string name = s.name;
    const std::string path = dir_ / name;
    WriteFile(path, s.bytes);
    std::rewind(file_);
    ScriptRunner runner(ide_, out_);
    if (const auto failure = runner.RunLine("open " + Quoted(path), 1))
      return std::pair<std::size_t, std::string>(0, "cannot open: " + failure->reason);
    Model model(s.bytes, IndentOf(name));
    std::optional<std::pair<std::size_t, std::string>> mismatch;
    for (std::size_t i = 0; i < commands.size() && !mismatch; ++i) {
      const bool accepted = model.Apply(commands[i]);
      const auto failure = runner.RunLine(ScriptLine(commands[i]), static_cast<int>(i + 2));
      const auto view = ide_.TopView();
      const std::string bytes = view->GetDocument().Buffer().ToBytes();
      const ViewState& v = view->State();
      const State state{{v.cursor.line, v.cursor.col},
                        {v.blockStart.line, v.blockStart.col},
                        {v.blockEnd.line, v.blockEnd.col}};
      std::string what;
      if (failure.has_value() == accepted)
        what = accepted ? "refused (" + failure->reason + ")" : "not refused";
      else if (bytes != model.Bytes())
        what = "text " + Shown(bytes) + ", the model's " + Shown(model.Bytes());
      else if (state != model.Now())
        what = Shown(state) + ", the model's " + Shown(model.Now());
      else if (commands[i].kind == Command::Save && ReadFile(path) != bytes)
        what = "file saved as " + Shown(ReadFile(path));
      else if (!observer_.faults.empty())
        what = "fault: " + observer_.faults.back().message;
      if (!what.empty()) mismatch.emplace(i + 1, what);
    }
    observer_.faults.clear();
    ide_.CloseView(ide_.TopView());
    std::filesystem::remove(path);
    return mismatch;
  }

 private:
  RecordingObserver observer_;
  zeb::Ide ide_;
  bool loaded_ = false;
  TempDir dir_;
  std::FILE* file_ = std::fopen((dir_ / "out").c_str(), "wb");
  CheckedOutput out_{file_};  // the key lines printed are not looked at
};

// The failing commands made shorter: up to the first that differs, then without each command
// that is not needed for a failure.
std::vector<Command> Shrink(Harness& harness, const Scenario& s, std::size_t failing) {
  std::vector<Command> commands(s.commands.begin(),
                                s.commands.begin() + static_cast<std::ptrdiff_t>(failing));
  for (bool shorter = true; shorter;) {
    shorter = false;
    for (std::size_t i = 0; i < commands.size(); ++i) {
      std::vector<Command> fewer = commands;
      fewer.erase(fewer.begin() + static_cast<std::ptrdiff_t>(i));
      if (const auto mismatch = harness.Check(s, fewer)) {
        fewer.resize(mismatch->first);
        commands = std::move(fewer);
        shorter = true;
        --i;
      }
    }
  }
  return commands;
}

std::optional<std::uint64_t> FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::strtoull(value, nullptr, 10);
}

TEST(EditorModel, RandomScriptsAgreeWithTheModel) {
  Harness harness;
  ASSERT_TRUE(harness.Loaded());
  const bool soak = FromEnvironment("ZEB_MODEL_SOAK").value_or(0) != 0;
  const auto now = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch() /
                                              std::chrono::microseconds(1));
  const std::uint64_t seed = FromEnvironment("ZEB_MODEL_SEED").value_or(soak ? now : 19);
  const auto runs = FromEnvironment("ZEB_MODEL_RUNS");
  const auto seconds = std::chrono::seconds(FromEnvironment("ZEB_MODEL_SECONDS").value_or(20));
  const auto start = std::chrono::steady_clock::now();
  std::uint64_t run = 0;
  std::size_t commands = 0;
  for (; runs ? run < *runs : std::chrono::steady_clock::now() - start < seconds; ++run) {
    const Scenario s = Generate(seed + run);
    commands += s.commands.size();
    const auto mismatch = harness.Check(s, s.commands);
    if (!mismatch) continue;
    ASSERT_NE(mismatch->first, 0u) << mismatch->second;
    const std::vector<Command> shortest = Shrink(harness, s, mismatch->first);
    const auto last = harness.Check(s, shortest);
    std::string script;
    for (const Command& c : shortest)
      script += "  " + Shown(ScriptLine(c)) + "\n";
    ADD_FAILURE() << "the model and the IDE disagree; again with ZEB_MODEL_SEED=" << seed + run
                  << " ZEB_MODEL_RUNS=1\nfile " << s.name << ": " << Shown(s.bytes)
                  << "\nthe shortest script that fails (lines in C quotes):\n"
                  << script << "after line " << (last ? last->first : 0) << ": "
                  << (last ? last->second : mismatch->second);
    return;
  }
  std::printf("%llu runs from seed %llu, %zu commands\n", static_cast<unsigned long long>(run),
              static_cast<unsigned long long>(seed), commands);
}

}  // namespace
}  // namespace zeb
