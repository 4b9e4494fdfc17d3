// Eight threads trace without pause while the viewer (the real program) is stopped, continued,
// killed and started again, twice. Afterwards: every message sent after the last start arrived,
// once and in order (a call that gives up at the bound, which only a viewer starved of time on a
// loaded machine makes happen then, sends nothing: those few are counted apart); the viewers
// were alive until killed and the last one ends cleanly; and no call waited past the bound.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/trace/FakeTransport.h"
#include "tests/viewer/ViewerProcess.h"
#include "trace/uTrace.h"

namespace zeb {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class TempRuntimeDir {
 public:
  TempRuntimeDir() {
    char name[] = "/tmp/zeb-trace-soak-XXXXXX";
    path_ = mkdtemp(name);
    chmod(path_.c_str(), 0700);
  }
  ~TempRuntimeDir() { std::filesystem::remove_all(path_); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

struct Sender {
  std::thread thread;
  // After the last start: every message's number, and those the viewer took.
  std::vector<int> sent;
  std::vector<int> delivered;
  std::size_t gaveUp = 0;
  std::vector<TraceOutcome> unexpected;
  Clock::duration longest{};  // the longest TRACE call
};

TEST(TraceSoak, ViewerStoppedKilledAndRestartedLosesNothingAfterTheLastStart) {
  TempRuntimeDir dir;
  setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);
  InitializeuTrace();

  auto viewer = std::make_unique<ViewerProcess>(dir.Path(), dir.Path() + "/1.log");
  std::atomic<bool> afterLastStart{false};
  std::atomic<bool> stop{false};
  std::vector<Sender> senders(8);
  // Some messages do not fit a socket's buffer: they are cut off when the viewer stops.
  const std::string padding(1 << 20, 'p');
  for (std::size_t t = 0; t < senders.size(); ++t) {
    senders[t].thread = std::thread([&, t] {
      Sender& s = senders[t];
      for (int i = 0; !stop; ++i) {
        const bool last = afterLastStart;
        const auto start = Clock::now();
        const TraceOutcome outcome =
            Delivery("soak %s %d %d %s", last ? "L" : "E", static_cast<int>(t), i,
                     !last && i % 40 == 39 ? padding : std::string());
        s.longest = std::max(s.longest, Clock::now() - start);
        if (!last) continue;
        s.sent.push_back(i);
        if (outcome == TraceOutcome::Delivered) {
          s.delivered.push_back(i);
        } else if (outcome == TraceOutcome::TimedOut) {
          ++s.gaveUp;
        } else {
          s.unexpected.push_back(outcome);
        }
      }
    });
  }

  const auto stopAndContinue = [&](std::chrono::seconds stopped) {
    viewer->Signal(SIGSTOP);
    std::this_thread::sleep_for(stopped);
    viewer->Signal(SIGCONT);
  };
  const auto killAndStart = [&](const std::string& log) {
    EXPECT_TRUE(viewer->Running()) << "the viewer died before it was killed";
    viewer->Kill();
    std::this_thread::sleep_for(1500ms);  // no viewer at all for a while
    viewer = std::make_unique<ViewerProcess>(dir.Path(), dir.Path() + "/" + log);
  };
  std::this_thread::sleep_for(2s);
  stopAndContinue(3s);
  std::this_thread::sleep_for(2s);
  killAndStart("2.log");
  std::this_thread::sleep_for(2s);
  stopAndContinue(3s);
  std::this_thread::sleep_for(1s);
  killAndStart("3.log");
  afterLastStart = true;
  std::this_thread::sleep_for(4s);
  stop = true;
  for (Sender& s : senders)
    s.thread.join();
  EXPECT_EQ(viewer->Interrupt(), 0) << "the last viewer did not end cleanly";
  FinalizeuTrace();
  unsetenv("XDG_RUNTIME_DIR");

  // Each line ends "] soak L <thread> <number> |0|.|.|." (or with the padding before the suffix).
  std::map<int, std::vector<int>> arrived;
  std::ifstream log(dir.Path() + "/3.log");
  std::string line;
  while (std::getline(log, line)) {
    const auto at = line.find("] soak L ");
    if (at == std::string::npos) continue;
    int t = -1;
    int i = -1;
    ASSERT_EQ(std::sscanf(line.c_str() + at + 9, "%d %d", &t, &i), 2) << line.substr(0, 80);
    arrived[t].push_back(i);
  }
  std::size_t total = 0;
  std::size_t gaveUp = 0;
  Clock::duration longest{};
  for (std::size_t t = 0; t < senders.size(); ++t) {
    const Sender& s = senders[t];
    const std::vector<int>& got = arrived[static_cast<int>(t)];
    total += s.sent.size();
    gaveUp += s.gaveUp;
    longest = std::max(longest, s.longest);
    EXPECT_TRUE(s.unexpected.empty()) << "thread " << t << ": " << s.unexpected.front();
    EXPECT_TRUE(std::adjacent_find(got.begin(), got.end(), std::greater_equal<>()) == got.end())
        << "thread " << t << ": out of order or twice";
    EXPECT_TRUE(std::includes(got.begin(), got.end(), s.delivered.begin(), s.delivered.end()))
        << "thread " << t << ": a message the viewer took is missing";
    EXPECT_TRUE(std::includes(s.sent.begin(), s.sent.end(), got.begin(), got.end()))
        << "thread " << t << ": a message arrived that was not sent";
    // The bound is 2 s; a second more for a machine busy with other work.
    EXPECT_LT(std::chrono::duration<double>(s.longest).count(), 3.0) << "thread " << t;
  }
  EXPECT_GT(total, 100U) << "the threads hardly traced after the last start";
  EXPECT_LE(gaveUp * 10, total) << "the last viewer did not keep up";
  std::printf(
      "%zu messages after the last start (%zu given up at the bound); the longest call "
      "took %.2f s\n",
      total, gaveUp, std::chrono::duration<double>(longest).count());
}

}  // namespace

}  // namespace zeb
