// zeb-trace.exe's window as senders meet it: every record is answered, a bad one refused and
// reported, a sound one printed with the sender's process id and program name.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "testkit/PackageImage.h"
#include "tests/viewer/ViewerWindowWait.h"
#include "trace/TraceTransport.h"
#include "trace/ZebTrace.h"

namespace zeb {

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// zeb-trace.exe serving, its standard output and error going to files.
class ViewerProgram {
 public:
  ViewerProgram() {
    const std::string base = ExeDir() + "viewer-program-" + std::to_string(GetCurrentProcessId());
    out_ = base + ".out";
    err_ = base + ".err";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE out = CreateFileA(out_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const HANDLE err = CreateFileA(err_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    std::string command = "\"" + ExeDir() + "zeb-trace.exe\"";
    const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process_);
    CloseHandle(out);
    CloseHandle(err);
    if (!started) throw std::runtime_error("cannot start zeb-trace.exe");
    CloseHandle(process_.hThread);
    window_ = WaitForViewerWindow();
    if (window_ == nullptr) throw std::runtime_error("zeb-trace.exe has no window");
  }
  ~ViewerProgram() {
    Stop();
    DeleteFileA(out_.c_str());
    DeleteFileA(err_.c_str());
  }
  ViewerProgram(const ViewerProgram&) = delete;
  ViewerProgram& operator=(const ViewerProgram&) = delete;

  TraceHandle Window() const { return reinterpret_cast<TraceHandle>(window_); }

  // Asks it to end as taskkill does (WM_CLOSE); its exit status, or -1 if it did not end.
  int Stop() {
    if (process_.hProcess == nullptr) return exitCode_;
    PostMessageA(window_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.hProcess, 20000) != WAIT_OBJECT_0) {
      TerminateProcess(process_.hProcess, 9);
      WaitForSingleObject(process_.hProcess, 20000);
    } else {
      DWORD code = 0;
      GetExitCodeProcess(process_.hProcess, &code);
      exitCode_ = static_cast<int>(code);
    }
    CloseHandle(process_.hProcess);
    process_.hProcess = nullptr;
    return exitCode_;
  }
  std::string Out() const { return ReadFile(out_); }
  std::string Err() const { return ReadFile(err_); }

 private:
  std::string out_;
  std::string err_;
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
  int exitCode_ = -1;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

TEST(ViewerWindow, AnswersEveryRecordAndPrintsTheSoundOnes) {
  ViewerProgram viewer;
  const std::string who = std::to_string(GetCurrentProcessId()) + " viewer_tests";
  const struct {
    const char* name;
    std::string bytes;
    TraceSendResult result;
    std::string printed;  // after the time; empty when refused
  } rows[] = {
      {"sound", std::string("x=5|0|.|.|.\0", 12), TraceSendResult::Delivered,
       " [" + who + "] x=5|0|.|.|."},
      {"NULs and controls inside", std::string("a\0b\tc\x1b\0", 7), TraceSendResult::Delivered,
       " [" + who + "] a\\0b\\tc\\x1B"},
      {"no terminating NUL", "no nul", TraceSendResult::Refused, ""},
      {"empty", "", TraceSendResult::Refused, ""},
  };
  std::vector<std::string> expected;
  for (const auto& row : rows) {
    const TraceRecord record{GetCurrentProcessId(), static_cast<std::uint32_t>(row.bytes.size()),
                             row.bytes.data()};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    EXPECT_EQ(PlatformTraceTransport().Send(viewer.Window(), record, deadline), row.result)
        << row.name;
    if (!row.printed.empty()) expected.push_back(row.printed);
  }
  ASSERT_EQ(viewer.Stop(), 0);

  std::vector<std::string> printed;
  for (const std::string& line : Lines(viewer.Out()))
    printed.push_back(line.size() > 12 ? line.substr(12) : line);
  EXPECT_EQ(printed, expected);
  const std::vector<std::string> problems = Lines(viewer.Err());
  const std::string bad =
      "zeb-trace: bad record from pid " + who.substr(0, who.find(' ')) + " (viewer_tests): ";
  const std::vector<std::string> wanted = {
      "zeb-trace: listening on window \"TFormTrace\" (Ctrl+C to stop)",
      bad + "text has no terminating NUL",
      bad + "text has no terminating NUL",
      "zeb-trace: stopped",
  };
  EXPECT_EQ(problems, wanted);
}

// The whole way on Windows: the package loaded as the IDE loads it, its TRACE, zeb-trace.exe.
TEST(ViewerWindow, ALoadedPackagesTraceReachesIt) {
  ViewerProgram viewer;
  {
    const zeb::test::PackageImage package(ZEB_PACKAGE_PATH);
    ASSERT_EQ(package.Error(), "");
    using EntryPoint = void (*)();
    using TraceEntry = int (*)(const char*, const ZebTraceArg*, size_t, char*, size_t);
    const auto initialize = reinterpret_cast<EntryPoint>(package.Symbol("Initialize"));
    const auto finalize = reinterpret_cast<EntryPoint>(package.Symbol("Finalize"));
    const auto trace = reinterpret_cast<TraceEntry>(package.Symbol("ZebTrace"));
    ASSERT_TRUE(initialize && finalize && trace);
    initialize();
    ZebTraceArg arg{};
    arg.kind = ZEB_TRACE_INT32;
    arg.value.i32 = 5;
    EXPECT_EQ(trace("from the package: x=%d", &arg, 1, nullptr, 0), 0);
    finalize();
  }
  ASSERT_EQ(viewer.Stop(), 0);
  const std::vector<std::string> lines = Lines(viewer.Out());
  ASSERT_EQ(lines.size(), 1u) << viewer.Out();
  EXPECT_EQ(lines[0].substr(12), " [" + std::to_string(GetCurrentProcessId()) +
                                     " viewer_tests] from the package: x=5|0|.|.|.");
}

}  // namespace

}  // namespace zeb
