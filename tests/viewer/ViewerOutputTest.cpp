// The viewer and what it prints to: a message it could not print is not acknowledged, and the
// viewer stops rather than go on taking messages nobody sees; whatever it is doing, it stops when
// asked to.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "testkit/ViewerFixture.h"
#include "tests/trace/FakeTransport.h"
#include "tests/viewer/ViewerProcess.h"
#include "trace/TraceTransportPosix.h"

namespace zeb {

namespace {

using namespace std::chrono_literals;

bool Exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

// Reads from `fd` up to and including the first line feed.
std::string ReadLine(int fd) {
  std::string line;
  char c = 0;
  while (read(fd, &c, 1) == 1) {
    line += c;
    if (c == '\n') break;
  }
  return line;
}

struct OutputRow {
  const char* name;
  std::vector<std::string> args;
  const char* stdoutPath;  // nullptr: a pipe the test reads one line from and then closes
  const char* says;        // what stderr must say
};

TEST(ViewerOutput, StopsWhenItCannotPrintAndDoesNotAcknowledgeWhatItCouldNot) {
  const OutputRow rows[] = {
      {"standard output full", {}, "/dev/full", "cannot write standard output: No space left"},
      {"--output full", {"--output", "/dev/full"}, "/dev/null", "/dev/full: No space left"},
      {"its reader gone after one line (| head -1)",
       {},
       nullptr,
       "cannot write standard output: Broken pipe"},
  };
  for (const OutputRow& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir dir;
    int pipeFds[2] = {-1, -1};
    int out = -1;
    if (row.stdoutPath != nullptr) {
      out = open(row.stdoutPath, O_WRONLY | O_CLOEXEC);
    } else {
      ASSERT_EQ(pipe2(pipeFds, O_CLOEXEC), 0);
      out = pipeFds[1];
    }
    ViewerProcess viewer(dir.Path(), {row.args, out, 0, dir.Path() + "/err"});
    close(out);
    InitializeuTrace();
    PosixTraceTransport transport(2s, viewer.SocketPath());
    {
      const ScopedTransport scope(transport);
      if (pipeFds[0] >= 0) {
        EXPECT_EQ(Delivery("first"), TraceOutcome::Delivered);
        EXPECT_NE(ReadLine(pipeFds[0]).find("first"), std::string::npos);
        close(pipeFds[0]);
      }
      EXPECT_NE(Delivery("not printed"), TraceOutcome::Delivered);
    }
    FinalizeuTrace();
    const std::optional<int> status = viewer.WaitForExit(10s);
    ASSERT_TRUE(status.has_value()) << "the viewer goes on after its output failed";
    EXPECT_NE(*status, 0);
    EXPECT_NE(viewer.Errors().find(row.says), std::string::npos) << viewer.Errors();
    EXPECT_FALSE(Exists(viewer.SocketPath())) << "the socket is left behind";
  }
}

// Busy for as long as a sender likes (matching a pattern that backtracks against a long message,
// or writing to a standard output nobody reads), the viewer still stops on SIGTERM.
TEST(ViewerOutput, StopsOnRequestWhateverItIsDoing) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
    bool stdoutPipe;
    std::size_t length;
  };
  const Row rows[] = {
      {"--grep (a|aa)*b on 300 KB of a", {"--grep", "(a|aa)*b"}, false, 300'000},
      {"standard output nobody reads", {}, true, 256 << 10},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir dir;
    int pipeFds[2] = {-1, -1};
    if (row.stdoutPipe) {
      ASSERT_EQ(pipe2(pipeFds, O_CLOEXEC), 0);
    }
    ViewerProcess viewer(dir.Path(), {row.args, pipeFds[1], 0, dir.Path() + "/err"});
    if (pipeFds[1] >= 0) close(pipeFds[1]);
    InitializeuTrace();
    PosixTraceTransport transport(2s, viewer.SocketPath());
    {
      const ScopedTransport scope(transport);
      const std::string text(row.length, 'a');
      Delivery("%s", text);  // a viewer blocked in its output does not answer in time
    }
    FinalizeuTrace();
    viewer.Signal(SIGTERM);
    const std::optional<int> status = viewer.WaitForExit(10s);
    EXPECT_TRUE(status.has_value()) << "SIGTERM was not obeyed";
    EXPECT_FALSE(Exists(viewer.SocketPath())) << "the socket is left behind";
    if (pipeFds[0] >= 0) close(pipeFds[0]);
  }
}

}  // namespace

}  // namespace zeb
