#include "ide/headless/ScriptRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <sstream>
#include <stdexcept>

#include "testkit/TestSupport.h"

namespace zeb {
namespace {

using zeb::test::ReadFile;
using zeb::test::RecordingObserver;
using zeb::test::TempDir;
using zeb::test::WriteFile;

// A script in a file of its own, as a stream the runner reads.
class Script {
 public:
  explicit Script(const std::string& bytes) {
    WriteFile(dir_ / "script.zs", bytes);
    file_ = std::fopen((dir_ / "script.zs").c_str(), "rb");
  }
  ~Script() { std::fclose(file_); }
  Script(const Script&) = delete;
  Script& operator=(const Script&) = delete;
  std::FILE* File() const { return file_; }

 private:
  TempDir dir_;
  std::FILE* file_;
};

TEST(ScriptRunner, SplitsArgumentsWithQuotesAndEscapes) {
  EXPECT_EQ(SplitLine(R"(type "a b\"c\\d\n\t"   x	 "")"),
            (std::vector<std::string>{"type", "a b\"c\\d\n\t", "x", ""}));
  for (const char* bad : {R"(type "open)", R"(type "a\q")", R"(type "a"b)"})
    EXPECT_THROW(SplitLine(bad), EScriptError) << bad;
}

TEST(ScriptRunner, BadLinesStopWithTheirLineAndReason) {
  const struct {
    const char* line;
    const char* reason;
    int status;
  } cases[] = {
      {"frobnicate", "unknown command \"frobnicate\"", 2},
      {"select 1 1 2", "usage: select L1 C1 L2 C2", 2},
      {"select 1 1 9 1", "line 9 column 1 is not in the text", 2},
      {"select 2 1 1 1", "the block ends before it starts", 2},
      {"cursor 0 1", "a line must be a positive number, not \"0\"", 2},
      {"cursor 1 x", "a column must be a positive number, not \"x\"", 2},
      {"cursor 1 6", "line 1 column 6 is not in the text", 2},
      {"key Ctrl+Hyper+Q", "\"Ctrl+Hyper+Q\" is not a key", 2},
      {"open nonesuch.pas", "cannot open", 2},
      {"view other.pas", "other.pas is not a file of an open module", 2},
      {"type \"unclosed", "a quote is not closed", 2},
      {"print extra", "usage: print", 2},
      {"save no/such/folder/x.pas", "cannot save no/such/folder/x.pas: No such file", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    TempDir dir;
    WriteFile(dir / "a.pas", "abc\nd");
    RecordingObserver observer;
    zeb::Ide ide(observer, zeb::Ide::Options());
    ide.Open(dir / "a.pas");
    std::FILE* out = std::fopen((dir / "out").c_str(), "wb");
    CheckedOutput output(out);
    ScriptRunner runner(ide, output);
    Script script("# comment\n\ntype X\n" + std::string(c.line) + "\ntype Y\n");
    const auto failure = runner.Run(script.File(), "script");
    std::fclose(out);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->line, 4);
    EXPECT_EQ(failure->reason.substr(0, std::string(c.reason).size()), c.reason) << failure->reason;
    EXPECT_EQ(failure->status, c.status);
    EXPECT_EQ(ide.TopView()->GetDocument().LineText(1), "Xabc");  // stopped before "type Y"
    EXPECT_EQ(ReadFile(dir / "a.pas"), "abc\nd");                 // nothing saved
  }
}

TEST(ScriptRunner, CommentAndBlankLinesAreSkippedWhateverTheyHold) {
  RecordingObserver observer;
  zeb::Ide ide(observer, zeb::Ide::Options());
  CheckedOutput out(stdout);
  ScriptRunner runner(ide, out);
  for (const char* line : {"# it's \"odd", "  \t# a \\q escape: \"\\q\"", "#", " \t\r", ""}) {
    const auto failure = runner.RunLine(line, 1);
    EXPECT_FALSE(failure) << line << ": " << failure->reason;
  }
}

// A line of the most bytes a line may hold is read; one byte more stops the script there.
TEST(ScriptRunner, ALineHoldsAtMost64MiB) {
  constexpr std::size_t kMost = std::size_t{64} << 20;
  RecordingObserver observer;
  zeb::Ide ide(observer, zeb::Ide::Options());
  CheckedOutput out(stdout);
  ScriptRunner runner(ide, out);
  std::string bytes = "#" + std::string(kMost - 1, 'x') + "\n";
  bytes += bytes.substr(0, kMost) + "x\n";
  const auto failure = runner.Run(Script(bytes).File(), "script");
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->line, 2);
  EXPECT_EQ(failure->reason, "the line is longer than 64 MiB, the most a script line may hold");
}

// An observer that fails when a document changes, as a front end out of memory would.
class FailingObserver final : public zeb::IdeObserver {
 public:
  void OnFault(const zeb::Fault&) override {}
  TModalResult OnDialog(TForm&) override { return mrCancel; }
  void OnMessage(const std::string&) override {}
  void OnDocumentChanged(zeb::Document&, const zeb::TextChange&) override {
    throw std::length_error("too long");
  }
};

TEST(ScriptRunner, AnyExceptionFromACommandStopsWithItsLine) {
  TempDir dir;
  WriteFile(dir / "a.pas", "abc\n");
  FailingObserver observer;
  zeb::Ide ide(observer, zeb::Ide::Options());
  CheckedOutput out(stdout);
  ScriptRunner runner(ide, out);
  Script script("open " + (dir / "a.pas") + "\ntype X\nsave\n");
  const auto failure = runner.Run(script.File(), "script");
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->line, 2);
  EXPECT_EQ(failure->reason, "std::length_error: too long");
  EXPECT_EQ(failure->status, 2);
  EXPECT_EQ(ReadFile(dir / "a.pas"), "abc\n");  // the save after it did not run
}

TEST(ScriptRunner, CommandsNeedAnOpenFile) {
  RecordingObserver observer;
  zeb::Ide ide(observer, zeb::Ide::Options());
  CheckedOutput out(stdout);
  ScriptRunner runner(ide, out);
  for (const char* line : {"key Tab", "print", "split", "undo", "save", "type x"}) {
    const auto failure = runner.RunLine(line, 7);
    ASSERT_TRUE(failure) << line;
    EXPECT_EQ(failure->reason, "no file is open");
  }
}

// The README's table of script commands is the runner's table, row for row.
TEST(ScriptRunner, TheReadmeListsEveryCommandInOrder) {
  std::istringstream readme(ReadFile(std::string(ZEB_EXAMPLES_DIR) + "/../README.md"));
  std::vector<std::string> listed;
  bool inTable = false;
  for (std::string line; std::getline(readme, line);) {
    if (line == "| command | what it does |") inTable = true;
    if (!inTable || line.starts_with("| command") || line.starts_with("|---")) continue;
    if (!line.starts_with("| `")) break;
    listed.push_back(line.substr(3, line.find('`', 3) - 3));
  }
  std::vector<std::string> commands;
  for (const ScriptCommand& command : ScriptRunner::Commands())
    commands.push_back(command.Synopsis());
  EXPECT_EQ(listed, commands);
}

}  // namespace
}  // namespace zeb
