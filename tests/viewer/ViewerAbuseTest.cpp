// Senders that misbehave on purpose: the viewer keeps its memory and descriptors in hand, says
// what it did, and goes on serving the others.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "testkit/ViewerFixture.h"
#include "tests/trace/FakeTransport.h"
#include "tests/viewer/ViewerProcess.h"
#include "trace/TraceTransportPosix.h"
#include "trace/TraceWire.h"
#include "viewer/TraceRecordReader.h"

namespace zeb {

namespace {

using namespace std::chrono_literals;

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

int ConnectTo(const std::string& path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::memcpy(a.sun_path, path.c_str(), path.size() + 1);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// A header announcing `length` bytes, then `sent` of them.
bool SendPart(int fd, std::uint32_t length, std::size_t sent) {
  const TraceWireHeader h{kTraceRecordMagic, length, 1, 0, length, 0};
  std::string bytes(reinterpret_cast<const char*>(&h), sizeof h);
  bytes.append(sent, 'g');
  return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

// The viewer closed this connection (within 10 s).
bool ClosedByViewer(int fd) {
  pollfd p{fd, POLLIN, 0};
  if (poll(&p, 1, 10000) <= 0) return false;
  char byte = 0;
  return recv(fd, &byte, 1, MSG_DONTWAIT) <= 0;
}

struct AbuseRow {
  const char* name;
  TraceServerLimits limits;
  // Attacks the viewer at `path`; returns the connections it leaves open.
  std::function<std::vector<int>(const std::string& path)> attack;
  const char* reported;  // a problem the viewer must report, or nullptr for none
};

TEST(ViewerAbuse, KeepsItsMemoryInHandAndServesOthers) {
  const std::vector<AbuseRow> rows = {
      // Reserving what they announce would take 1 GiB.
      {"headers announcing the largest record, nothing after",
       {},
       [](const std::string& path) {
         std::vector<int> fds;
         for (int i = 0; i < 16; ++i) {
           fds.push_back(ConnectTo(path));
           EXPECT_TRUE(SendPart(fds.back(), kTraceMaxRecord, 0));
         }
         return fds;
       },
       nullptr},
      {"unfinished records past the total bound",
       {kTraceMaxRecord, 12 << 20},
       [](const std::string& path) {
         const int greedy = ConnectTo(path);
         const int other = ConnectTo(path);
         // The viewer has read all but what the socket buffers when send returns.
         EXPECT_TRUE(SendPart(greedy, 60 << 20, 9 << 20));
         EXPECT_TRUE(SendPart(other, 60 << 20, 4 << 20));
         EXPECT_TRUE(ClosedByViewer(greedy)) << "the sender holding the most is dropped";
         close(greedy);
         return std::vector<int>{other};
       },
       "dropped sender"},
      {"idle connections by the hundred",
       {},
       [](const std::string& path) {
         std::vector<int> fds;
         for (int i = 0; i < 300; ++i)
           fds.push_back(ConnectTo(path));
         return fds;
       },
       nullptr},
  };
  for (const AbuseRow& row : rows) {
    InitializeuTrace();
    TempDir dir;
    const std::string path = dir.Path() + "/TFormTrace";
    RunningViewer viewer(path, row.limits);
    const long before = ResidentKiB();
    const std::vector<int> open = row.attack(path);
    PosixTraceTransport transport(2s, path);
    {
      // Its round trip also means the viewer has read what the attack sent before it.
      const ScopedTransport scope(transport);
      EXPECT_EQ(Delivery("still served"), TraceOutcome::Delivered) << row.name;
    }
    EXPECT_LT(ResidentKiB() - before, 64 << 10) << row.name << ": KiB more in use";
    const auto problems = row.reported != nullptr ? viewer.WaitForProblems(1) : viewer.Problems();
    if (row.reported == nullptr) {
      EXPECT_TRUE(problems.empty()) << row.name << ": " << problems.front();
    } else {
      ASSERT_FALSE(problems.empty()) << row.name;
      EXPECT_NE(problems.front().find(row.reported), std::string::npos) << problems.front();
    }
    for (const int fd : open)
      close(fd);
    FinalizeuTrace();
  }
}

// A sender's process name is the sender's to choose: the viewer escapes it in what it reports, as
// it does the text, so that a name cannot drive the terminal the viewer's stderr goes to.
TEST(ViewerAbuse, ASendersNameIsEscapedInReports) {
  TempDir dir;
  const std::string path = dir.Path() + "/TFormTrace";
  RunningViewer viewer(path);
  char saved[17] = {};
  ASSERT_EQ(prctl(PR_GET_NAME, saved), 0);
  // The viewer reads the name of the process (its main thread's) when it accepts the sender.
  ASSERT_EQ(prctl(PR_SET_NAME, "\x1b]0;pwn\x07\x1b[2J"), 0);
  const int fd = ConnectTo(path);
  const TraceWireHeader h{kTraceRecordMagic, 3, 1, 0, 7, 0};  // cbData does not match
  std::string bytes(reinterpret_cast<const char*>(&h), sizeof h);
  bytes.append("ab", 3);
  EXPECT_EQ(send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
  const auto problems = viewer.WaitForProblems(1);
  prctl(PR_SET_NAME, saved);
  close(fd);
  ASSERT_FALSE(problems.empty());
  EXPECT_NE(problems.front().find("(\\x1B]0;pwn\\x07\\x1B[2J)"), std::string::npos)
      << problems.front();
  EXPECT_TRUE(std::none_of(problems.front().begin(), problems.front().end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
  })) << problems.front();
}

// With its descriptors used up, the viewer turns new senders away (they learn at once instead of
// waiting in the backlog while the viewer spins on it), says so once however many it turns away,
// and serves again as soon as some leave.
TEST(ViewerAbuse, OutOfDescriptorsTurnsSendersAwayAndSaysSoOnce) {
  TempDir dir;
  ViewerProcess viewer(dir.Path(), dir.Path() + "/out.log", 16);
  std::vector<int> idle;
  for (int i = 0; i < 24; ++i) {
    const int fd = viewer.Connect();
    if (fd >= 0) idle.push_back(fd);
  }
  ASSERT_EQ(idle.size(), 24U) << "the backlog holds them all";
  // The viewer has room for a few; the last ones are turned away.
  EXPECT_TRUE(ClosedByViewer(idle.back()));
  for (int fd : idle)
    close(fd);

  // Served again: the viewer may still be closing the idle ones when the first message comes.
  PosixTraceTransport transport(2s, dir.Path() + "/TFormTrace");
  InitializeuTrace();
  {
    const ScopedTransport scope(transport);
    TraceOutcome outcome = TraceOutcome::NoViewer;
    for (int attempt = 0; attempt < 50 && outcome != TraceOutcome::Delivered; ++attempt) {
      outcome = Delivery("served again");
      if (outcome != TraceOutcome::Delivered) std::this_thread::sleep_for(100ms);
    }
    EXPECT_EQ(outcome, TraceOutcome::Delivered);
  }
  FinalizeuTrace();
  EXPECT_EQ(viewer.Interrupt(), 0);
  const std::string errors = viewer.Errors();
  std::size_t reports = 0;
  for (auto at = errors.find("out of file descriptors"); at != std::string::npos;
       at = errors.find("out of file descriptors", at + 1)) {
    ++reports;
  }
  EXPECT_EQ(reports, 1U) << errors;
}

// Memory follows what has arrived: a header alone holds nothing, and a text that comes after its
// header never gets a buffer larger than the header announced.
TEST(ViewerRecord, ReaderHoldsNoMoreThanTheRecordAnnounces) {
  for (const std::uint32_t length : {1U, 100U, 16U << 10, (16U << 10) + 1, 100000U}) {
    SCOPED_TRACE(length);
    TraceRecordReader reader;
    const TraceWireHeader h{kTraceRecordMagic, length, 7, 1, length, 0};
    std::memcpy(reader.Space().data(), &h, sizeof h);
    EXPECT_FALSE(reader.Commit(sizeof h));
    EXPECT_EQ(reader.Held(), 0U);
    const std::string text = std::string(length - 1, 't') + '\0';
    std::optional<TraceRecordReader::Event> event;
    for (std::size_t sent = 0; sent < text.size();) {
      const std::span<char> space = reader.Space();
      ASSERT_FALSE(space.empty());
      EXPECT_LE(reader.Held(), length);
      const std::size_t n = std::min(space.size(), text.size() - sent);
      std::memcpy(space.data(), text.data() + sent, n);
      sent += n;
      event = reader.Commit(n);
    }
    ASSERT_TRUE(event);
    EXPECT_EQ(event->kind, TraceRecordReader::Event::Kind::Record);
    EXPECT_EQ(event->text, text.substr(0, length - 1));
  }
}

}  // namespace

}  // namespace zeb
