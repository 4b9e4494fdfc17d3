#include "viewer/TraceWindowServer.h"

#include <chrono>
#include <string>
#include <string_view>
#include <utility>

#include "trace/TraceTransport.h"
#include "viewer/WideText.h"

namespace zeb {

namespace {

constexpr const wchar_t* kClassName = L"TFormTrace";
// Made by the viewer that owns the window, and there while it keeps its handle open: a second
// viewer starting at the same moment finds it.
constexpr const wchar_t* kMutexName = L"Local\\zeb-trace-TFormTrace";

std::string Running() {
  return std::string("a viewer is already running (window \"") + kTraceViewerClass + "\")";
}

std::string SystemError(const std::string& what) {
  return what + ": error " + std::to_string(GetLastError());
}

// The program of process `pid`: its file name without ".exe", "?" when it cannot be found.
std::string ProcessName(std::uint64_t pid) {
  if (pid == 0 || pid > MAXDWORD) return "?";
  const HANDLE process =
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr) return "?";
  wchar_t path[MAX_PATH * 4];
  DWORD size = static_cast<DWORD>(std::size(path));
  const BOOL found = QueryFullProcessImageNameW(process, 0, path, &size);
  CloseHandle(process);
  if (!found) return "?";
  std::wstring_view name(path, size);
  name = name.substr(name.find_last_of(L"\\/") + 1);  // npos + 1 is 0
  if (name.size() > 4 && _wcsicmp(name.data() + name.size() - 4, L".exe") == 0) {
    name.remove_suffix(4);
  }
  return name.empty() ? "?" : Utf8FromWide(name);
}

}  // namespace

TraceWindowServer::TraceWindowServer() {
  mutex_ = CreateMutexW(nullptr, FALSE, kMutexName);
  if (mutex_ == nullptr) throw ViewerError(SystemError("cannot create the viewer's mutex"));
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex_);
    throw ViewerError(Running());
  }
  // Any program's window of the class is a viewer senders may find first.
  if (FindWindowA(kTraceViewerClass, nullptr) != nullptr) {
    CloseHandle(mutex_);
    throw ViewerError(Running());
  }
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kClassName;
  // A viewer made earlier in this process has registered it already.
  if (RegisterClassW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    const std::string why = SystemError("cannot register the window class");
    CloseHandle(mutex_);
    throw ViewerError(why);
  }
  // A real top-level window, never shown: FindWindowA does not find message-only windows.
  window_ = CreateWindowExW(0, kClassName, L"zeb-trace", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                            CW_USEDEFAULT, 400, 300, nullptr, nullptr, instance, this);
  if (window_ == nullptr) {
    const std::string why = SystemError("cannot create the \"TFormTrace\" window");
    CloseHandle(mutex_);
    throw ViewerError(why);
  }
}

TraceWindowServer::~TraceWindowServer() {
  DestroyWindow(window_);
  CloseHandle(mutex_);
}

void TraceWindowServer::Run(const ViewerHandlers& handlers) {
  handlers_ = &handlers;
  MSG message;
  bool jammed = false;
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) break;  // WM_QUIT
    if (got < 0) {
      // The system cannot hand over the message at the head of the queue (Wine, for one, fails
      // so on a WM_COPYDATA of a few MiB) until its sender gives up on it: wait for that.
      if (!jammed) handlers.problem("a message could not be received; its sender will time out");
      jammed = true;
      Sleep(50);
      continue;
    }
    jammed = false;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  handlers_ = nullptr;
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void TraceWindowServer::Stop() noexcept {
  PostMessageW(window_, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK TraceWindowServer::WindowProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TraceWindowServer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_COPYDATA:
      if (self == nullptr || lParam == 0) return FALSE;
      return self->Receive(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_CLOSE:  // Stop, or a request to end such as taskkill's: the owner destroys it
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT TraceWindowServer::Receive(const COPYDATASTRUCT& data) noexcept {
  if (handlers_ == nullptr || failure_) return FALSE;
  // No exception may cross the window procedure: it ends Run instead.
  try {
    const std::string_view bytes(static_cast<const char*>(data.lpData),
                                 data.lpData != nullptr ? data.cbData : 0);
    std::optional<std::string> bad = CheckLength(data.cbData);
    if (!bad) bad = CheckRecord(data.cbData, bytes);
    TraceMessage m;
    m.received = std::chrono::system_clock::now();
    m.pid = static_cast<std::int64_t>(data.dwData);
    m.processName = ProcessName(data.dwData);
    if (bad) {
      handlers_->problem("bad record from pid " + std::to_string(m.pid) + " (" +
                         MakeVisible(m.processName) + "): " + *bad);
      return FALSE;
    }
    m.dwData = data.dwData;
    m.cbData = data.cbData;
    m.text.assign(bytes.substr(0, bytes.size() - 1));
    handlers_->message(m);
    if (handlers_->flush) handlers_->flush();
    return TRUE;
  } catch (...) {
    failure_ = std::current_exception();
    PostQuitMessage(0);
    return FALSE;
  }
}

}  // namespace zeb
