// Eight threads trace without pause while the viewer (the real program) is stopped, continued,
// killed and started again, twice. Afterwards: every message sent after the last start arrived,
// once; the viewers were alive until killed and the last one ends cleanly; and no call waited
// past the bound.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/trace/ViewerProcess.h"
#include "trace/uTrace.h"

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
  std::vector<int> last;      // numbers of the messages sent after the last start
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
  const std::string padding(1 << 20, 'p');  // some messages do not fit a socket's buffer
  for (std::size_t t = 0; t < senders.size(); ++t) {
    senders[t].thread = std::thread([&, t] {
      Sender& s = senders[t];
      for (int i = 0; !stop; ++i) {
        const bool last = afterLastStart;
        const auto start = Clock::now();
        TRACE("soak %s %d %d %s", last ? "L" : "E", static_cast<int>(t), i,
              i % 40 == 39 ? padding : std::string());
        s.longest = std::max(s.longest, Clock::now() - start);
        if (last) s.last.push_back(i);
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
  for (std::size_t t = 0; t < senders.size(); ++t) {
    const Sender& s = senders[t];
    total += s.last.size();
    EXPECT_EQ(arrived[static_cast<int>(t)], s.last) << "thread " << t;
    // The bound is 2 s; a second more for a machine busy with other work.
    EXPECT_LT(std::chrono::duration<double>(s.longest).count(), 3.0) << "thread " << t;
  }
  EXPECT_GT(total, 100U) << "the threads hardly traced after the last start";
  Clock::duration longest{};
  for (const Sender& s : senders)
    longest = std::max(longest, s.longest);
  std::printf("%zu messages after the last start; the longest call took %.2f s\n", total,
              std::chrono::duration<double>(longest).count());
}

}  // namespace
