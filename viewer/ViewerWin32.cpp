// The viewer on Win32: the "TFormTrace" window, served until Ctrl+C, Ctrl+Break, the console
// closing or WM_CLOSE.
#include <windows.h>
// After windows.h, which it needs.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>

#include "trace/TraceTransport.h"
#include "viewer/TraceWindowServer.h"
#include "viewer/Viewer.h"
#include "viewer/WideText.h"

namespace zeb {

namespace {

// The window being served; the console control handler runs on a thread of its own.
std::atomic<HWND> servingWindow{nullptr};
// Set once the viewer has given up its window.
HANDLE stopped = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  const HWND window = servingWindow.load();
  if (window == nullptr) return FALSE;  // not serving: the default, which ends the process
  PostMessageW(window, WM_CLOSE, 0, 0);
  // A stop is obeyed within a second whatever the viewer is doing: busy past half a second
  // (matching a long message, writing to an output nobody reads), the process ends here, and the
  // message in hand is not acknowledged.
  if (WaitForSingleObject(stopped, 500) != WAIT_OBJECT_0) {
    constexpr char kStopped[] = "zeb-trace: stopped\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), kStopped, sizeof kStopped - 1, &written, nullptr);
    TerminateProcess(GetCurrentProcess(), 0);
  }
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    // The system ends the process as soon as this returns: let the viewer finish first (its
    // exit ends this thread).
    WaitForSingleObject(stopped, 5000);
  }
  return TRUE;
}

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  // The arguments main receives are in the ANSI code page: take the wide ones, or those when the
  // wide ones cannot be had.
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
  std::vector<std::string> words;
  for (int i = 1; wide != nullptr && i < count; ++i)
    words.push_back(Utf8FromWide(wide[i]));
  LocalFree(wide);
  return words;
}

void UseBinaryStandardStreams() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

std::FILE* OpenTraceLog(const std::string& path) {
  return _wfopen(WideFromUtf8(path).c_str(), L"ab");
}

void ServeAsViewer(const ViewerHandlers& handlers,
                   const std::function<void(const std::string&)>& listening) {
  if (stopped == nullptr) stopped = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  struct Finish {
    ~Finish() {
      servingWindow = nullptr;
      SetEvent(stopped);
    }
  };
  TraceWindowServer server;
  const Finish finish;  // before the window goes
  servingWindow = server.Window();
  listening(std::string("window \"") + kTraceViewerClass + "\"");
  server.Run(handlers);
}

}  // namespace zeb
