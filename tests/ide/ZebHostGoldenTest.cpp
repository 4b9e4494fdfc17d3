// zeb-host end to end: each folder of golden/ is a case. Its script.zs (examples/demo.zs when
// it has none) runs in a fresh folder
// holding copies of the examples and of the case's input/ files:
//   zeb-host --script script.zs [the words of args]
// with fixed XDG directories. stdout and stderr (paths of the run replaced by <DIR>, <BIN> and
// <ROOT>; <FIXTURES> stands for the fixture packages' folder in args and outputs) must equal the
// case's stdout and stderr files (a missing stderr file means empty), the exit status its status
// file (0 when missing), and each file of expected/ the file of the same name after the run. Every
// other file must be as it was. ZEB_UPDATE_GOLDEN=1 rewrites stdout, stderr and status from the
// run, for review.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

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

class Golden : public testing::TestWithParam<std::string> {};

TEST_P(Golden, OutputsAndFilesMatch) {
  const fs::path caseDir = fs::path(ZEB_GOLDEN_DIR) / GetParam();
  TempDir run;
  for (const auto& entry : fs::directory_iterator(ZEB_EXAMPLES_DIR))
    fs::copy_file(entry.path(), run / entry.path().filename().string());
  if (fs::exists(caseDir / "input"))
    for (const auto& entry : fs::directory_iterator(caseDir / "input"))
      fs::copy_file(entry.path(), run / entry.path().filename().string(),
                    fs::copy_options::overwrite_existing);
  // The demo case runs the README's demo script itself.
  const fs::path script = fs::exists(caseDir / "script.zs")
                              ? caseDir / "script.zs"
                              : fs::path(ZEB_EXAMPLES_DIR) / "demo.zs";
  fs::copy_file(script, run / "script.zs", fs::copy_options::overwrite_existing);
  const auto before = Snapshot(run.Path());

  std::string args = ReadOr(caseDir / "args", "");
  while (!args.empty() && (args.back() == '\n' || args.back() == ' '))
    args.pop_back();
  args = ReplaceAll(args, "<FIXTURES>", ZEB_FIXTURE_DIR);
  const std::string command =
      "cd '" + run.Path() + "' && env XDG_DATA_HOME=/xdg/data XDG_CONFIG_HOME=/xdg/config '" +
      ZEB_HOST_PATH + "' --script script.zs " + args + " >.stdout 2>.stderr </dev/null";
  const int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw)) << command;
  const int status = WEXITSTATUS(raw);

  const fs::path bin = fs::path(ZEB_HOST_PATH).parent_path();
  auto clean = [&](std::string text) {
    text = ReplaceAll(text, run.Path(), "<DIR>");
    text = ReplaceAll(text, ZEB_FIXTURE_DIR, "<FIXTURES>");
    text = ReplaceAll(text, bin.string() + "/", "<BIN>/");
    return ReplaceAll(text, bin.parent_path().string() + "/", "<ROOT>/");
  };
  const std::string out = clean(ReadFile(run / ".stdout"));
  const std::string err = clean(ReadFile(run / ".stderr"));
  fs::remove(run / ".stdout");
  fs::remove(run / ".stderr");

  if (const char* update = std::getenv("ZEB_UPDATE_GOLDEN"); update && update[0] == '1') {
    WriteFile((caseDir / "stdout").string(), out);
    if (!err.empty()) WriteFile((caseDir / "stderr").string(), err);
    if (status != 0) WriteFile((caseDir / "status").string(), std::to_string(status) + "\n");
  }
  EXPECT_EQ(out, ReadOr(caseDir / "stdout", ""));
  EXPECT_EQ(err, ReadOr(caseDir / "stderr", ""));
  EXPECT_EQ(status, std::stoi(ReadOr(caseDir / "status", "0")));

  auto after = Snapshot(run.Path());
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

}  // namespace
