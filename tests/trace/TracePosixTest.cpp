// TRACE over the POSIX transport to a real viewer, and the viewer's own checks.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "runtime/Exceptions.h"
#include "testkit/MustReturn.h"
#include "testkit/ViewerFixture.h"
#include "tests/trace/FakeTransport.h"
#include "trace/TraceSocketPath.h"
#include "trace/TraceTransportPosix.h"
#include "trace/TraceWire.h"
#include "trace/uTrace.h"

namespace zeb {

namespace {

using namespace std::chrono_literals;

sockaddr_un Address(const std::string& path) {
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::memcpy(a.sun_path, path.c_str(), path.size() + 1);
  return a;
}

int Connect(const std::string& path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_un a = Address(path);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

int Listen(const std::string& path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_un a = Address(path);
  if (bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 || listen(fd, 8) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// Reads one acknowledgement; nullopt when the viewer closed instead (or after 10 s).
std::optional<TraceWireAck> ReadAck(int fd) {
  TraceWireAck ack{};
  std::size_t got = 0;
  while (got < sizeof ack) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 10000) <= 0) return std::nullopt;
    const ssize_t n = recv(fd, reinterpret_cast<char*>(&ack) + got, sizeof ack - got, 0);
    if (n <= 0) return std::nullopt;
    got += static_cast<std::size_t>(n);
  }
  return ack;
}

bool SendRaw(int fd, const TraceWireHeader& h, const std::string& payload) {
  std::string bytes(reinterpret_cast<const char*>(&h), sizeof h);
  bytes += payload;
  return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

class TraceToViewer : public ::testing::Test {
 protected:
  void SetUp() override { InitializeuTrace(); }
  void TearDown() override { FinalizeuTrace(); }

  TempDir dir;
  std::string path = dir.Path() + "/TFormTrace";
  PosixTraceTransport transport{2s, path};
  ScopedTransport scope{transport};
};

TEST_F(TraceToViewer, DeliversBeforeReturning) {
  RunningViewer viewer(path);
  TRACE("x=%d", 5);
  TRACE("");
  // Synchronous: the viewer has handled both by the time TRACE returns.
  const auto messages = viewer.Messages();
  ASSERT_EQ(messages.size(), 2U);
  EXPECT_EQ(messages[0].text, "x=5|0|.|.|.");
  EXPECT_EQ(messages[0].cbData, 12U);
  EXPECT_EQ(messages[1].cbData, 9U);
  EXPECT_EQ(messages[0].pid, getpid());
  EXPECT_EQ(messages[0].dwData, static_cast<std::uint64_t>(getpid()));
  EXPECT_TRUE(viewer.Problems().empty());
}

TEST_F(TraceToViewer, NoViewerLeavesErrnoAsFormattingLeftIt) {
  errno = ENOTDIR;
  TRACE("nobody listens");
  EXPECT_EQ(errno, ENOTDIR);
  EXPECT_EQ(CurrentTraceWindow(), 0U);
}

// The viewer stalls (stopped in a terminal, busy) or goes away while a message is under way: that
// message alone may be lost, and the next one reaches the viewer that runs then.
TEST_F(TraceToViewer, AfterAStallOrARestartTheNextMessageArrives) {
  const struct {
    const char* name;
    bool restart;  // the viewer is closed and another started; otherwise it stalls and resumes
    bool large;    // a message bigger than the socket holds is sent during the stall
  } rows[] = {
      {"stalled on a small message", false, false},
      {"stalled in the middle of a large one", false, true},
      {"closed, then started again", true, false},
  };
  PosixTraceTransport quick(200ms, path);
  SetTraceTransport(&quick);
  for (const auto& row : rows) {
    auto viewer = std::make_unique<RunningViewer>(path);
    TRACE("before");
    if (row.restart) {
      viewer.reset();
      viewer = std::make_unique<RunningViewer>(path);
    } else {
      viewer->Hold();
      EXPECT_EQ(Delivery("stall"), TraceOutcome::TimedOut) << row.name;
      if (row.large) {
        EXPECT_EQ(Delivery("%s", std::string(8 << 20, 'L')), TraceOutcome::Lost) << row.name;
      }
      viewer->Resume();
    }
    errno = ENOTDIR;
    EXPECT_EQ(Delivery("after"), TraceOutcome::Delivered) << row.name;
    EXPECT_EQ(errno, ENOTDIR) << row.name;  // no SIGPIPE either: it would end this test
    const auto messages = viewer->Messages();
    ASSERT_FALSE(messages.empty()) << row.name;
    EXPECT_EQ(messages.back().text, "after|0|.|.|.") << row.name;
  }
  SetTraceTransport(&transport);
}

TEST_F(TraceToViewer, MessagesFromManyThreadsArriveWhole) {
  RunningViewer viewer(path);
  constexpr int kThreads = 6;
  constexpr int kEach = 100;
  const std::string padding(3000, '#');
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i)
        TRACE("%d:%d:%s", t, i, padding);
    });
  }
  for (auto& th : threads)
    th.join();
  const auto messages = viewer.Messages();
  ASSERT_EQ(messages.size(), static_cast<std::size_t>(kThreads * kEach));
  std::vector<int> next(kThreads, 0);
  for (const TraceMessage& m : messages) {
    int t = -1;
    int i = -1;
    ASSERT_EQ(std::sscanf(m.text.c_str(), "%d:%d:", &t, &i), 2) << m.text.substr(0, 40);
    ASSERT_TRUE(t >= 0 && t < kThreads);
    EXPECT_EQ(i, next[static_cast<std::size_t>(t)]++);  // each thread's own order is kept
    EXPECT_EQ(m.text.substr(m.text.find(padding)), padding + "|0|.|.|.");
  }
  EXPECT_TRUE(viewer.Problems().empty());
}

TEST_F(TraceToViewer, TakesTheLongestMessageFormatGives) {
  RunningViewer viewer(path);
  std::string big(kFormatMaxLength, 'm');
  big[12345] = '\0';
  TRACE("%s", big);
  EXPECT_THROW(TRACE("%s.", big), EConvertError);  // one byte longer: nothing is sent
  const auto messages = viewer.Messages();
  ASSERT_EQ(messages.size(), 1U);
  EXPECT_EQ(messages[0].cbData, big.size() + 9);
  EXPECT_TRUE(messages[0].text == big + "|0|.|.|.");
  EXPECT_TRUE(viewer.Problems().empty());
}

// Every call to a hung viewer returns, at the timeout's bound: MustReturn ends the program when
// one does not.
TEST(TraceHungViewer, GivesUpAndKeepsWorking) {
  InitializeuTrace();
  TempDir dir;
  const std::string path = dir.Path() + "/TFormTrace";
  // Accepts, then neither reads nor answers.
  const int listener = Listen(path);
  ASSERT_GE(listener, 0);
  PosixTraceTransport transport(150ms, path);
  const auto traced = [](const std::string& text) {
    return test::MustReturn(20s, "TRACE to a hung viewer", [&] { return Delivery("%s", text); });
  };
  {
    ScopedTransport scope(transport);
    EXPECT_EQ(traced("first"), TraceOutcome::TimedOut);
    EXPECT_EQ(traced("second"), TraceOutcome::TimedOut);  // the viewer was kept
    // Threads queued behind a hung exchange give up too.
    test::MustReturn(20s, "threads tracing to a hung viewer", [] {
      std::vector<std::thread> threads;
      for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] { EXPECT_EQ(Delivery("thread %d", t), TraceOutcome::TimedOut); });
      for (auto& th : threads)
        th.join();
    });
    // Bigger than the socket can buffer: written in part, then the connection is given up.
    EXPECT_EQ(traced(std::string(8 << 20, 'h')), TraceOutcome::Lost);
    // To a viewer looked up anew; the last error value stays (on the thread that traced).
    EXPECT_TRUE(test::MustReturn(20s, "TRACE to a hung viewer", [] {
      errno = ENOTDIR;
      return Delivery("after") == TraceOutcome::TimedOut && errno == ENOTDIR;
    }));
  }
  close(listener);
  FinalizeuTrace();
}

// A send queued behind another thread's exchange gives up at its own deadline, however long the
// other one waits.
TEST(TraceHungViewer, ASendQueuedBehindAnotherGivesUpAtItsOwnDeadline) {
  TempDir dir;
  const std::string path = dir.Path() + "/TFormTrace";
  const int listener = Listen(path);
  ASSERT_GE(listener, 0);
  PosixTraceTransport transport(150ms, path);
  const TraceHandle viewer = transport.FindViewer(std::chrono::steady_clock::now() + 10s);
  ASSERT_NE(viewer, 0U);
  const int server = accept(listener, nullptr, nullptr);
  const std::string text = "one";
  std::thread patient([&] {
    // Waits an hour for its answer, or until the viewer goes.
    EXPECT_EQ(transport.Send(viewer, {1, 4, text.c_str()}, std::chrono::steady_clock::now() + 1h),
              TraceSendResult::Broken);
  });
  TraceWireHeader first{};
  EXPECT_EQ(recv(server, &first, sizeof first, MSG_WAITALL), static_cast<ssize_t>(sizeof first));
  EXPECT_EQ(test::MustReturn(20s, "a send queued behind a hung one",
                             [&] {
                               return transport.Send(viewer, {1, 4, text.c_str()},
                                                     std::chrono::steady_clock::now() + 150ms);
                             }),
            TraceSendResult::TimedOut);
  close(server);
  patient.join();
  close(listener);
}

TEST(TraceHungViewer, LateAcknowledgementIsNotTakenForTheNextOne) {
  TempDir dir;
  const std::string path = dir.Path() + "/TFormTrace";
  const int listener = Listen(path);
  ASSERT_GE(listener, 0);
  PosixTraceTransport transport(150ms, path);
  const auto deadline = [] { return std::chrono::steady_clock::now() + 150ms; };
  const TraceHandle viewer = transport.FindViewer(deadline());
  ASSERT_NE(viewer, 0U);
  const int server = accept(listener, nullptr, nullptr);
  const std::string text = "one";
  // Times out: no answer yet.
  EXPECT_EQ(transport.Send(viewer, {1, 4, text.c_str()}, deadline()), TraceSendResult::TimedOut);
  TraceWireHeader first{};
  ASSERT_EQ(recv(server, &first, sizeof first, MSG_WAITALL), static_cast<ssize_t>(sizeof first));
  char payload[4];
  ASSERT_EQ(recv(server, payload, 4, MSG_WAITALL), 4);
  // Answer the first record late, and the second one only after reading it: a sender that took
  // the late answer for the second would leave its own answer unread, and the third exchange
  // below would then find two answers queued.
  const TraceWireAck late{kTraceAckMagic, TraceAckStatus::Handled, first.sequence};
  ASSERT_EQ(send(server, &late, sizeof late, 0), static_cast<ssize_t>(sizeof late));
  std::thread answer([&] {
    for (int k = 0; k < 2; ++k) {
      TraceWireHeader h{};
      if (recv(server, &h, sizeof h, MSG_WAITALL) != static_cast<ssize_t>(sizeof h)) return;
      std::string body(h.length, '\0');
      if (recv(server, body.data(), body.size(), MSG_WAITALL) != static_cast<ssize_t>(h.length))
        return;
      const TraceWireAck ack{kTraceAckMagic, TraceAckStatus::Handled, h.sequence};
      send(server, &ack, sizeof ack, 0);
    }
  });
  EXPECT_EQ(transport.Send(viewer, {1, 4, text.c_str()}, deadline() + 10s),
            TraceSendResult::Delivered);
  EXPECT_EQ(transport.Send(viewer, {1, 4, text.c_str()}, deadline() + 10s),
            TraceSendResult::Delivered);
  answer.join();
  // Every answer was consumed by the send it belonged to.
  pollfd p{transport.DescriptorOf(viewer), POLLIN, 0};
  EXPECT_EQ(poll(&p, 1, 0), 0);
  transport.Release(viewer);
  close(server);
  close(listener);
}

// A handle released while another thread still holds it (TRACE read it just before the unit
// finalised) must not reach whatever reuses its descriptor.
TEST(TraceReleasedViewer, ASendThroughAReleasedHandleReachesNothing) {
  TempDir dir;
  const std::string path = dir.Path() + "/TFormTrace";
  const int listener = Listen(path);
  ASSERT_GE(listener, 0);
  PosixTraceTransport transport(100ms, path);
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  const TraceHandle viewer = transport.FindViewer(deadline);
  ASSERT_NE(viewer, 0U);
  const int fd = transport.DescriptorOf(viewer);
  const int server = accept(listener, nullptr, nullptr);
  transport.Release(viewer);
  int pair[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
  ASSERT_EQ(pair[0], fd);  // the lowest free descriptor is reused
  const std::string text = "stale";
  EXPECT_NE(transport.Send(viewer, {1, 6, text.c_str()}, deadline), TraceSendResult::Delivered);
  char byte = 0;
  EXPECT_EQ(recv(pair[1], &byte, 1, MSG_DONTWAIT), -1);
  EXPECT_EQ(errno, EAGAIN);
  transport.Release(viewer);  // a second release closes nothing either
  EXPECT_EQ(fcntl(pair[0], F_GETFD), FD_CLOEXEC);
  close(pair[0]);
  close(pair[1]);
  close(server);
  close(listener);
}

struct BadRecordRow {
  const char* name;
  TraceWireHeader header;
  std::string payload;
  bool connectionKept;  // the record is framed well enough to answer
};

TEST(Viewer, ReportsBadRecordsAndGoesOn) {
  TempDir dir;
  const std::string path = dir.Path() + "/TFormTrace";
  RunningViewer viewer(path);
  const std::vector<BadRecordRow> rows = {
      {"cbData disagrees with the length",
       {kTraceRecordMagic, 4, 1, 0, 9, 0},
       std::string("abc\0", 4),
       true},
      {"no terminating NUL", {kTraceRecordMagic, 3, 2, 0, 3, 0}, "abc", true},
      {"empty record", {kTraceRecordMagic, 0, 3, 0, 0, 0}, "", true},
      {"over the bound",
       {kTraceRecordMagic, kTraceMaxRecord + 1, 4, 0, kTraceMaxRecord + 1, 0},
       "",
       false},
      {"not a record", {0x12345678, 4, 5, 0, 4, 0}, std::string("abc\0", 4), false},
  };
  std::size_t problems = 0;
  for (const BadRecordRow& row : rows) {
    const int fd = Connect(path);
    ASSERT_GE(fd, 0) << row.name;
    ASSERT_TRUE(SendRaw(fd, row.header, row.payload)) << row.name;
    const auto ack = ReadAck(fd);
    if (row.connectionKept) {
      ASSERT_TRUE(ack.has_value()) << row.name;
      EXPECT_EQ(ack->status, TraceAckStatus::Refused) << row.name;
      EXPECT_EQ(ack->sequence, row.header.sequence) << row.name;
      // The same connection still carries a good record.
      ASSERT_TRUE(SendRaw(fd, {kTraceRecordMagic, 3, 9, 0, 3, 0}, std::string("ok\0", 3)));
      const auto good = ReadAck(fd);
      ASSERT_TRUE(good.has_value()) << row.name;
      EXPECT_EQ(good->status, TraceAckStatus::Handled) << row.name;
    } else {
      EXPECT_FALSE(ack.has_value()) << row.name << ": connection should be dropped";
    }
    close(fd);
    EXPECT_EQ(viewer.WaitForProblems(++problems).size(), problems) << row.name;
  }
  const auto messages = viewer.Messages();
  EXPECT_EQ(messages.size(), 3U);
  for (const auto& m : messages)
    EXPECT_EQ(m.text, "ok");
}

// A sender that gave up waiting sends its next record before the answer: both may come in one
// read, and both are handled and answered.
TEST(Viewer, RecordsThatComeInOneReadAreAllAnswered) {
  TempDir dir;
  const std::string path = dir.Path() + "/TFormTrace";
  RunningViewer viewer(path);
  const int fd = Connect(path);
  ASSERT_GE(fd, 0);
  std::string both;
  for (const std::uint64_t sequence : {1U, 2U}) {
    const TraceWireHeader h{kTraceRecordMagic, 3, sequence, 0, 3, 0};
    both.append(reinterpret_cast<const char*>(&h), sizeof h);
    both.append(sequence == 1 ? std::string("a1\0", 3) : std::string("b2\0", 3));
  }
  ASSERT_EQ(send(fd, both.data(), both.size(), MSG_NOSIGNAL), static_cast<ssize_t>(both.size()));
  for (const std::uint64_t sequence : {1U, 2U}) {
    const auto ack = ReadAck(fd);
    ASSERT_TRUE(ack.has_value()) << sequence;
    EXPECT_EQ(ack->sequence, sequence);
  }
  close(fd);
  const auto messages = viewer.Messages();
  ASSERT_EQ(messages.size(), 2U);
  EXPECT_EQ(messages[0].text, "a1");
  EXPECT_EQ(messages[1].text, "b2");
}

TEST(Viewer, SecondViewerOnTheSamePathIsRefused) {
  TempDir dir;
  const std::string path = dir.Path() + "/TFormTrace";
  RunningViewer first(path);
  try {
    TraceServer second(path);
    ADD_FAILURE() << "a second viewer started";
  } catch (const ViewerError& e) {
    EXPECT_NE(std::string(e.what()).find("already running"), std::string::npos) << e.what();
  }
  // The first one still serves.
  const int fd = Connect(path);
  EXPECT_GE(fd, 0);
  close(fd);
}

TEST(Viewer, ReplacesAStaleSocketButNoOtherFile) {
  TempDir dir;
  const std::string path = dir.Path() + "/TFormTrace";
  // A socket file whose viewer is gone, as a crash leaves it.
  const int stale = Listen(path);
  ASSERT_GE(stale, 0);
  close(stale);
  {
    RunningViewer viewer(path);
    const int fd = Connect(path);
    EXPECT_GE(fd, 0);
    close(fd);
  }
  // Ctrl+C's path: the socket goes with the viewer.
  struct stat st {};
  EXPECT_NE(lstat(path.c_str(), &st), 0);

  std::ofstream(path) << "someone's file";
  EXPECT_THROW(TraceServer{path}, ViewerError);
  std::ifstream in(path);
  std::string content;
  std::getline(in, content);
  EXPECT_EQ(content, "someone's file");
}

// In a child process: becomes the user and group "nobody" (65534), or exits.
void DropToNobody() {
  if (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 ||
      setresuid(65534, 65534, 65534) != 0) {
    _exit(90);
  }
}

// Runs `body` in a child process as the user "nobody"; its exit status is the result.
int AsOtherUser(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) {
    DropToNobody();
    _exit(body());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

// The runtime directory is used only when it is a directory of ours that no one else can write
// to; otherwise there is no socket path, and the reason names the directory.
TEST(SocketLocation, RuntimeDirectoryMustBeOursAlone) {
  TempDir dir;
  const std::string file = dir.Path() + "/file";
  std::ofstream(file) << "x";
  const std::string open = dir.Path() + "/open";
  ASSERT_EQ(mkdir(open.c_str(), 0700), 0);
  chmod(open.c_str(), 0777);
  const char* old = std::getenv("XDG_RUNTIME_DIR");
  const std::string saved = old != nullptr ? old : "";
  const struct {
    std::string runtimeDir;
    const char* problem;  // nullptr: usable
  } cases[] = {
      {dir.Path(), nullptr},
      {file, " is not a directory"},
      {open, " is open to other users"},
      {dir.Path() + "/missing", ": No such file or directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.runtimeDir);
    setenv("XDG_RUNTIME_DIR", c.runtimeDir.c_str(), 1);
    const TraceSocketLocation location = LocateTraceSocket(false);
    if (c.problem == nullptr) {
      EXPECT_EQ(location.path, c.runtimeDir + "/TFormTrace");
      EXPECT_EQ(location.problem, "");
    } else {
      EXPECT_FALSE(location.path);
      EXPECT_EQ(location.problem, c.runtimeDir + c.problem);
    }
  }
  if (old != nullptr) {
    setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
  } else {
    unsetenv("XDG_RUNTIME_DIR");
  }
}

TEST(PeerOfAnotherUser, ViewerRefusesASender) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to switch user";
  TempDir dir;
  chmod(dir.Path().c_str(), 0711);
  const std::string path = dir.Path() + "/TFormTrace";
  RunningViewer viewer(path);
  chmod(path.c_str(), 0666);  // only the credential check stands in the way now
  const int status = AsOtherUser([&] {
    const int fd = Connect(path);
    if (fd < 0) return 2;
    if (!SendRaw(fd, {kTraceRecordMagic, 3, 1, 0, 3, 0}, std::string("hi\0", 3))) return 0;
    return ReadAck(fd) ? 1 : 0;  // an answer means the viewer took it
  });
  EXPECT_EQ(status, 0);
  const auto problems = viewer.WaitForProblems(1);
  ASSERT_EQ(problems.size(), 1U);
  EXPECT_NE(problems[0].find("another user"), std::string::npos) << problems[0];
  EXPECT_TRUE(viewer.Messages().empty());
}

TEST(PeerOfAnotherUser, SenderRefusesAViewer) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to switch user";
  TempDir dir;
  chmod(dir.Path().c_str(), 0777);
  const std::string path = dir.Path() + "/TFormTrace";
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  if (child == 0) {
    DropToNobody();
    umask(0);
    const int fd = Listen(path);
    const char ok = fd >= 0 ? 'y' : 'n';
    [[maybe_unused]] const auto n = write(ready[1], &ok, 1);
    pause();  // ended by the parent
    _exit(0);
  }
  char ok = 0;
  ASSERT_EQ(read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, 'y');
  PosixTraceTransport transport(2s, path);
  const TraceHandle found = transport.FindViewer(std::chrono::steady_clock::now() + 2s);
  EXPECT_EQ(found, 0U);
  transport.Release(found);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
}

}  // namespace

}  // namespace zeb
