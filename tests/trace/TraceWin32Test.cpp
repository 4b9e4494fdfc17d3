// TRACE over the Win32 transport, run under Wine against a real viewer window
// (trace_test_viewer.exe) that each test starts.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "runtime/Exceptions.h"
#include "tests/viewer/ViewerWindowWait.h"
#include "trace/TraceTransport.h"
#include "trace/uTrace.h"

namespace zeb {

namespace {

struct Received {
  std::uint32_t cbData;
  std::uint64_t dwData;
  std::uint64_t wParam;
  std::string bytes;
};

// A viewer process with its own log; closed (and waited for) when it goes out of scope.
class Viewer {
 public:
  Viewer() {
    static int counter = 0;
    log_ = ExeDir() + "viewer-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter) + ".log";
    DeleteFileA(log_.c_str());
    std::string command = "\"" + ExeDir() + "trace_test_viewer.exe\" \"" + log_ + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process_)) {
      throw std::runtime_error("cannot start the test viewer");
    }
    CloseHandle(process_.hThread);
    // Ready once its window exists (the test looks, not TRACE).
    window_ = WaitForViewerWindow();
    if (window_ == nullptr) throw std::runtime_error("the test viewer has no window");
  }
  ~Viewer() {
    Close();
    DeleteFileA(log_.c_str());
  }
  Viewer(const Viewer&) = delete;
  Viewer& operator=(const Viewer&) = delete;

  void Close() {
    if (process_.hProcess == nullptr) return;
    PostMessageA(window_, WM_CLOSE, 0, 0);
    WaitForSingleObject(process_.hProcess, 20000);
    CloseHandle(process_.hProcess);
    process_.hProcess = nullptr;
  }
  // For a viewer that no longer answers.
  void Kill() {
    if (process_.hProcess == nullptr) return;
    TerminateProcess(process_.hProcess, 9);
    WaitForSingleObject(process_.hProcess, 20000);
    CloseHandle(process_.hProcess);
    process_.hProcess = nullptr;
  }

  std::vector<Received> Log() const {
    std::ifstream in(log_, std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<Received> out;
    std::size_t at = 0;
    while (at + 20 <= all.size()) {
      Received r{};
      std::memcpy(&r.cbData, all.data() + at, 4);
      std::memcpy(&r.dwData, all.data() + at + 4, 8);
      std::memcpy(&r.wParam, all.data() + at + 12, 8);
      r.bytes = all.substr(at + 20, r.cbData);
      at += 20 + r.cbData;
      out.push_back(r);
    }
    return out;
  }

 private:
  std::string log_;
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

// The platform's transport, counted.
class CountingTransport : public ITraceTransport {
 public:
  std::chrono::milliseconds Timeout() const noexcept override {
    return PlatformTraceTransport().Timeout();
  }
  TraceHandle FindViewer(TraceDeadline deadline) noexcept override {
    ++finds;
    return PlatformTraceTransport().FindViewer(deadline);
  }
  TraceSendResult Send(TraceHandle viewer, const TraceRecord& record,
                       TraceDeadline deadline) noexcept override {
    ++sends;
    return PlatformTraceTransport().Send(viewer, record, deadline);
  }
  void Release(TraceHandle viewer) noexcept override { PlatformTraceTransport().Release(viewer); }
  int finds = 0;
  int sends = 0;
};

class Win32Trace : public ::testing::Test {
 protected:
  void SetUp() override {
    InitializeuTrace();
    SetTraceTransport(&counting);
  }
  void TearDown() override {
    SetTraceTransport(nullptr);
    FinalizeuTrace();
  }
  CountingTransport counting;
};

std::string WithNul(const std::string& s) {
  return s + std::string(1, '\0');
}

TEST_F(Win32Trace, NoViewerKeepsTheLastError) {
  ASSERT_EQ(FindWindowA("TFormTrace", nullptr), nullptr) << "a viewer is already running";
  SetLastError(4321);
  TRACE("x=%d", 5);
  EXPECT_EQ(GetLastError(), 4321U);
  EXPECT_EQ(counting.finds, 1);
  EXPECT_EQ(counting.sends, 0);
  EXPECT_EQ(CurrentTraceWindow(), 0U);
}

TEST_F(Win32Trace, DeliversTheTextAndRecord) {
  Viewer viewer;
  SetLastError(77);
  TRACE("");
  EXPECT_EQ(GetLastError(), 77U);
  TRACE("x=%d", 5);
  TRACE("<%s>", std::string_view("a\0b", 3));
  // SendMessageA has returned: the viewer has handled all three.
  const auto log = viewer.Log();
  ASSERT_EQ(log.size(), 3U);
  EXPECT_EQ(log[0].cbData, 9U);
  EXPECT_EQ(log[0].bytes, WithNul("|0|.|.|."));
  EXPECT_EQ(log[1].cbData, 12U);
  EXPECT_EQ(log[1].bytes, WithNul("x=5|0|.|.|."));
  EXPECT_EQ(log[2].cbData, 14U);
  EXPECT_EQ(log[2].bytes, WithNul(std::string("<a\0b>|0|.|.|.", 13)));
  for (const auto& r : log) {
    EXPECT_EQ(r.wParam, 0U);
    EXPECT_EQ(r.dwData, GetCurrentProcessId());
  }
  EXPECT_EQ(counting.finds, 1);
  EXPECT_EQ(counting.sends, 3);
}

TEST_F(Win32Trace, FormatErrorRaisesBeforeAnyLookup) {
  Viewer viewer;
  EXPECT_THROW(TRACE("%d", "text"), EConvertError);
  EXPECT_EQ(counting.finds, 0);
  EXPECT_TRUE(viewer.Log().empty());
}

TEST_F(Win32Trace, AViewerStartedAfterTheFirstClosedIsFound) {
  {
    Viewer first;
    TRACE("one");
    ASSERT_EQ(first.Log().size(), 1U);
    first.Close();
    SetLastError(55);
    TRACE("lost");  // to a window that is gone: looked for again, and none is there
    EXPECT_EQ(GetLastError(), 55U);
    EXPECT_EQ(CurrentTraceWindow(), 0U);
  }
  Viewer second;
  TRACE("found");
  const auto log = second.Log();
  ASSERT_EQ(log.size(), 1U);
  EXPECT_EQ(log[0].bytes, WithNul("found|0|.|.|."));
  EXPECT_EQ(counting.finds, 3);
}

// A viewer that stops pumping messages costs each TRACE the bound (2 s), never more; once it is
// gone, the next viewer gets the messages.
TEST_F(Win32Trace, AHungViewerDoesNotHoldTheCallerForEver) {
  auto hung = std::make_unique<Viewer>();
  std::atomic<bool> done{false};
  std::thread caller([&] {
    TRACE("hang now");  // the viewer logs it, then stops
    TRACE("while it hangs");
    done = true;
  });
  for (int i = 0; i < 200 && !done; ++i)
    Sleep(100);
  const bool returned = done;
  if (!returned) hung->Kill();  // so that the thread can end at all
  caller.join();
  EXPECT_TRUE(returned) << "TRACE waited on a hung viewer for 20 s";
  const auto log = hung->Log();
  ASSERT_GE(log.size(), 1U);
  EXPECT_EQ(log[0].bytes, WithNul("hang now|0|.|.|."));
  hung->Kill();
  hung.reset();

  Viewer next;
  TRACE("after");
  const auto after = next.Log();
  ASSERT_EQ(after.size(), 1U);
  EXPECT_EQ(after[0].bytes, WithNul("after|0|.|.|."));
}

TEST_F(Win32Trace, ThreadsSendingAtOnce) {
  Viewer viewer;
  constexpr int kThreads = 4;
  constexpr int kEach = 25;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kEach; ++i)
        TRACE("thread %d message %d", t, i);
    });
  }
  for (auto& th : threads)
    th.join();
  const auto log = viewer.Log();
  ASSERT_EQ(log.size(), static_cast<std::size_t>(kThreads * kEach));
  for (const auto& r : log) {
    EXPECT_EQ(r.bytes.size(), r.cbData);
    EXPECT_EQ(r.bytes.rfind("thread ", 0), 0U);
    EXPECT_EQ(r.bytes.substr(r.bytes.size() - 9), WithNul("|0|.|.|."));
  }
}

}  // namespace

}  // namespace zeb
