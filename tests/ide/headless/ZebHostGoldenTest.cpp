// zeb-host end to end: each folder of golden/ is a case. Its script.zs (examples/demo.zs when
// it has none) runs in a fresh folder holding copies of the examples and of the case's input/
// files:
//   zeb-host --script script.zs [the words of args]
// with fixed user folders (XDG directories; on Windows LOCALAPPDATA and APPDATA). stdout and stderr
// (paths of the run replaced by <DIR>, <BIN> and <ROOT>; <FIXTURES> stands for the fixture
// packages' folder in args and outputs) must equal the case's stdout and stderr files (a missing
// stderr file means empty), the exit status its status file (0 when missing), and each file of
// expected/ the file of the same name after the run. Every other file must be as it was.
//
// ZEB_UPDATE_GOLDEN=1 rewrites a case from its run instead of checking it, for review with git
// diff: stdout, stderr and status (the last two removed when empty or 0), and expected/ as the
// files the run changed or made (an expected file the run no longer changes is removed). Such a
// run checks nothing, so its tests are skipped.
//
// The same cases check the Windows build, run under Wine, against the same files. Where Windows
// differs in a way users expect, the comparison writes it the Linux way first: "<PACKAGE_SUFFIX>"
// in args is the platform's package suffix (".so", ".bpl"); the user folders are LOCALAPPDATA
// and APPDATA, set to C:\xdg\data and C:\xdg\config and written /xdg/data and /xdg/config; and
// in a path that starts with a placeholder (<DIR>, <BIN>, <ROOT>, the user folders) backslashes
// are written as slashes, also where the information dialog escapes them as "\\".
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ide/headless/ScriptRunner.h"
#include "testkit/ProgramRun.h"
#include "testkit/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using zeb::test::ReadFile;
using zeb::test::TempDir;
using zeb::test::WriteFile;

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

using HostRun = zeb::test::ProgramRun;

// The words of `line`, split at spaces.
std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while ((at = line.find_first_not_of(" \n", at)) != std::string::npos) {
    const std::size_t end = std::min(line.find_first_of(" \n", at), line.size());
    words.push_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

const std::string& HostPath() {
  static const std::string path = zeb::test::NativePath(ZEB_HOST_PATH);
  return path;
}

const std::string& FixtureDir() {
  static const std::string dir = zeb::test::NativePath(ZEB_FIXTURE_DIR);
  return dir;
}

// Runs zeb-host in `dir` with `args` (words split at spaces) and the user's folders fixed.
HostRun RunHost(const std::string& dir, const std::string& args) {
  return zeb::test::RunProgram(HostPath(), Words(args), dir,
                               zeb::test::FixedUserFolders().environment);
}

// `text` with each `from` replaced by `to`, and each `separator` in the rest of that path
// written as a slash, as the golden files write paths.
std::string ReplaceWithSeparators(std::string text, const std::string& from, const std::string& to,
                                  const std::string& separator) {
  if (from.empty()) return text;
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
    for (; at < text.size() && std::string_view(" \t\n:'\"").find(text[at]) == std::string::npos;
         ++at)
      if (text.compare(at, separator.size(), separator) == 0)
        text.replace(at, separator.size(), "/");
  }
  return text;
}

// `text` with the path `from` replaced by `to`. On Windows the path is also found as the
// information dialog writes it, each backslash doubled, and the backslashes in the rest of such
// a path are written as slashes.
std::string ReplacePath(const std::string& text, const std::string& from, const std::string& to) {
  const std::string separator(1, zeb::test::kSeparator);
  std::string replaced = ReplaceWithSeparators(text, from, to, separator);
  if (separator != "\\") return replaced;
  return ReplaceWithSeparators(replaced, ReplaceAll(from, "\\", "\\\\"), to, "\\\\");
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
  args = ReplaceAll(args, "<FIXTURES>/", FixtureDir() + zeb::test::kSeparator);
  args = ReplaceAll(args, "<PACKAGE_SUFFIX>", zeb::test::kPackageSuffix);
  const HostRun run = RunHost(dir.Path(), "--script script.zs " + args);

  const std::string bin = HostPath().substr(0, HostPath().rfind(zeb::test::kSeparator) + 1);
  const std::string root = bin.substr(0, bin.rfind(zeb::test::kSeparator, bin.size() - 2) + 1);
  auto clean = [&](std::string text) {
    text = ReplacePath(text, dir.Path(), "<DIR>");
    text = ReplacePath(text, zeb::test::NativePath(dir.Path()), "<DIR>");
    text = ReplacePath(text, FixtureDir(), "<FIXTURES>");
    text = ReplacePath(text, bin, "<BIN>/");
    text = ReplacePath(text, root, "<ROOT>/");
    for (const auto& [written, golden] : zeb::test::FixedUserFolders().written)
      text = ReplacePath(text, written, golden);
    return text;
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
  for (const zeb::ScriptCommand& command : zeb::ScriptRunner::Commands())
    EXPECT_NE(run.out.find("\n  " + command.Synopsis() + " "), std::string::npos)
        << command.Synopsis();
}

}  // namespace
