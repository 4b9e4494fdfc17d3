// zeb-host end to end: each folder of golden/ is a case. Its script.zs (examples/demo.zs when
// it has none) runs in a fresh folder holding copies of the examples and of the case's input/
// files:
//   zeb-host --script script.zs [the words of args]
// with fixed XDG directories. stdout and stderr (paths of the run replaced by <DIR>, <BIN> and
// <ROOT>; <FIXTURES> stands for the fixture packages' folder in args and outputs) must equal the
// case's stdout and stderr files (a missing stderr file means empty), the exit status its status
// file (0 when missing), and each file of expected/ the file of the same name after the run. Every
// other file must be as it was.
//
// ZEB_UPDATE_GOLDEN=1 rewrites a case from its run instead of checking it, for review with git
// diff: stdout, stderr and status (the last two removed when empty or 0), and expected/ as the
// files the run changed or made (an expected file the run no longer changes is removed). Such a
// run checks nothing, so its tests are skipped.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "ide/headless/ScriptRunner.h"
#include "tests/ide/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using zebtest::ReadFile;
using zebtest::TempDir;
using zebtest::WriteFile;

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
    text.replace(at, from.size(), to), at += to.size();
  return text;
}

std::string ReadOr(const fs::path& path, const std::string& otherwise) {
  return fs::exists(path) ? ReadFile(path.string()) : otherwise;
}

std::map<std::string, std::string> Snapshot(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(dir))
    if (entry.is_regular_file())
      files[entry.path().filename().string()] = ReadFile(entry.path().string());
  return files;
}

struct HostRun {
  std::string out, err;
  int status;
};

// Runs zeb-host in `dir` with `args` (a shell word list) and no terminal on standard input.
HostRun RunHost(const std::string& dir, const std::string& args) {
  const std::string command = "cd '" + dir +
                              "' && env XDG_DATA_HOME=/xdg/data XDG_CONFIG_HOME=/xdg/config '" +
                              ZEB_HOST_PATH + "' " + args + " >.stdout 2>.stderr </dev/null";
  const int raw = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(raw)) << command;
  HostRun run{ReadFile(dir + "/.stdout"), ReadFile(dir + "/.stderr"), WEXITSTATUS(raw)};
  fs::remove(dir + "/.stdout");
  fs::remove(dir + "/.stderr");
  return run;
}

// Writes `bytes` to `path`, or removes the file when they are what its absence means.
void WriteOrRemove(const fs::path& path, const std::string& bytes, const std::string& absent) {
  if (bytes == absent)
    fs::remove(path);
  else
    WriteFile(path.string(), bytes);
}

class Golden : public testing::TestWithParam<std::string> {};

TEST_P(Golden, OutputsAndFilesMatch) {
  const fs::path caseDir = fs::path(ZEB_GOLDEN_DIR) / GetParam();
  TempDir dir;
  for (const auto& entry : fs::directory_iterator(ZEB_EXAMPLES_DIR))
    if (entry.is_regular_file())  // not the example add-in's folder
      fs::copy_file(entry.path(), dir / entry.path().filename().string());
  if (fs::exists(caseDir / "input"))
    for (const auto& entry : fs::directory_iterator(caseDir / "input"))
      fs::copy_file(entry.path(), dir / entry.path().filename().string(),
                    fs::copy_options::overwrite_existing);
  // The demo case runs the README's demo script itself.
  const fs::path script = fs::exists(caseDir / "script.zs")
                              ? caseDir / "script.zs"
                              : fs::path(ZEB_EXAMPLES_DIR) / "demo.zs";
  fs::copy_file(script, dir / "script.zs", fs::copy_options::overwrite_existing);
  const auto before = Snapshot(dir.Path());

  std::string args = ReadOr(caseDir / "args", "");
  while (!args.empty() && (args.back() == '\n' || args.back() == ' '))
    args.pop_back();
  args = ReplaceAll(args, "<FIXTURES>", ZEB_FIXTURE_DIR);
  const HostRun run = RunHost(dir.Path(), "--script script.zs " + args);

  const fs::path bin = fs::path(ZEB_HOST_PATH).parent_path();
  auto clean = [&](std::string text) {
    text = ReplaceAll(text, dir.Path(), "<DIR>");
    text = ReplaceAll(text, ZEB_FIXTURE_DIR, "<FIXTURES>");
    text = ReplaceAll(text, bin.string() + "/", "<BIN>/");
    return ReplaceAll(text, bin.parent_path().string() + "/", "<ROOT>/");
  };
  const std::string out = clean(run.out);
  const std::string err = clean(run.err);
  auto after = Snapshot(dir.Path());

  if (const char* update = std::getenv("ZEB_UPDATE_GOLDEN"); update && update[0] == '1') {
    WriteFile((caseDir / "stdout").string(), out);
    WriteOrRemove(caseDir / "stderr", err, "");
    WriteOrRemove(caseDir / "status", std::to_string(run.status) + "\n", "0\n");
    fs::remove_all(caseDir / "expected");
    for (const auto& [name, bytes] : after)
      if (!before.count(name) || before.at(name) != bytes) {
        fs::create_directories(caseDir / "expected");
        WriteFile((caseDir / "expected" / name).string(), bytes);
      }
    GTEST_SKIP() << "rewrote " << caseDir << " from this run: review it with git diff";
  }

  EXPECT_EQ(out, ReadOr(caseDir / "stdout", ""));
  EXPECT_EQ(err, ReadOr(caseDir / "stderr", ""));
  EXPECT_EQ(run.status, std::stoi(ReadOr(caseDir / "status", "0")));
  if (fs::exists(caseDir / "expected"))
    for (const auto& entry : fs::directory_iterator(caseDir / "expected")) {
      const std::string name = entry.path().filename().string();
      ASSERT_TRUE(after.count(name)) << name << " is missing";
      EXPECT_EQ(after[name], ReadFile(entry.path().string())) << name;
      after.erase(name);
    }
  for (const auto& [name, bytes] : after) {
    ASSERT_TRUE(before.count(name)) << "unexpected file " << name;
    EXPECT_EQ(bytes, before.at(name)) << name << " changed";
  }
}

std::vector<std::string> Cases() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(ZEB_GOLDEN_DIR))
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

INSTANTIATE_TEST_SUITE_P(ZebHost, Golden, testing::ValuesIn(Cases()),
                         [](const auto& param) { return param.param; });

// What stops zeb-host before a script runs is one line on stderr and exit status 2.
TEST(ZebHostCommandLine, BadArgumentsAndUnreadableScriptsStopWithOneLine) {
  TempDir dir;
  fs::create_directory(dir / "folder");
  const struct {
    const char* args;
    const char* err;
  } rows[] = {
      {"--bogus",
       "zeb-host: The following argument was not expected: --bogus (see zeb-host "
       "--help)\n"},
      {"--package x.so --no-package",
       "zeb-host: --package excludes --no-package (see zeb-host "
       "--help)\n"},
      {"--no-package --script folder", "zeb-host: cannot read script folder: Is a directory\n"},
      {"--no-package --script nonesuch.zs",
       "zeb-host: cannot read script nonesuch.zs: No such file or directory\n"},
  };
  for (const auto& row : rows) {
    const HostRun run = RunHost(dir.Path(), row.args);
    EXPECT_EQ(run.status, 2) << row.args;
    EXPECT_EQ(run.err, row.err) << row.args;
    EXPECT_EQ(run.out, "") << row.args;
  }
}

TEST(ZebHostCommandLine, HelpListsEveryScriptCommand) {
  TempDir dir;
  const HostRun run = RunHost(dir.Path(), "--help");
  EXPECT_EQ(run.status, 0);
  for (const zebhost::ScriptCommand& command : zebhost::ScriptRunner::Commands())
    EXPECT_NE(run.out.find("\n  " + command.Synopsis() + " "), std::string::npos)
        << command.Synopsis();
}

}  // namespace
