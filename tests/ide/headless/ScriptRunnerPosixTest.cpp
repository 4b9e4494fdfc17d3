// The script runner on a stream only POSIX systems make: one that fails part way.
#include <gtest/gtest.h>
#include <stdio.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

#include "ide/headless/ScriptRunner.h"
#include "testkit/TestSupport.h"

namespace zeb {
namespace {

using zeb::test::RecordingObserver;

// A stream that yields its first lines, then fails as a disk or a pipe can.
ssize_t ReadThenFail(void* cookie, char* buffer, std::size_t size) {
  auto* left = static_cast<std::string*>(cookie);
  if (left->empty()) {
    errno = EIO;
    return -1;
  }
  const std::size_t n = std::min(size, left->size());
  left->copy(buffer, n);
  left->erase(0, n);
  return static_cast<ssize_t>(n);
}

TEST(ScriptRunner, AReadErrorPartWayIsAnErrorNotTheEnd) {
  RecordingObserver observer;
  zeb::Ide ide(observer, zeb::Ide::Options());
  std::FILE* out = std::tmpfile();
  CheckedOutput output(out);
  ScriptRunner runner(ide, output);
  std::string lines = "echo one\necho two\n";
  std::FILE* script = ::fopencookie(&lines, "r", {ReadThenFail, nullptr, nullptr, nullptr});
  try {
    runner.Run(script, "s.zs");
    ADD_FAILURE() << "the read error went unnoticed";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.Message(), "cannot read script s.zs: Input/output error");
  }
  std::fclose(script);
  output.Flush();
  std::rewind(out);
  char printed[32] = {};
  EXPECT_EQ(std::fread(printed, 1, sizeof printed - 1, out), 8u);
  EXPECT_STREQ(printed, "one\ntwo\n");  // the lines read before the error ran
  std::fclose(out);
}

}  // namespace
}  // namespace zeb
