// The Win32 transport: the viewer is the top-level window of class "TFormTrace", and each
// message is a WM_COPYDATA sent to it, which returns once the viewer has handled it.
//
// The send is bounded: SendMessageTimeoutA with SMTO_ABORTIFHUNG gives up at the caller's
// deadline, and at once on a window the system already knows as hung, so that a viewer that
// stops pumping messages cannot freeze the IDE. The viewer receives the same message, wParam 0
// and the same record, as with a plain SendMessageA. A window that has gone is reported as such
// (nothing reached it), so the caller can look for the viewer again. A viewer answers TRUE for a
// record it has taken and FALSE for one it refuses, as WM_COPYDATA's contract has it.
#include <windows.h>

#include <algorithm>

#include "trace/TraceTransport.h"

namespace zeb {

namespace {

class Win32TraceTransport final : public ITraceTransport {
 public:
  std::chrono::milliseconds Timeout() const noexcept override { return std::chrono::seconds(2); }

  TraceHandle FindViewer(TraceDeadline) noexcept override {
    return reinterpret_cast<TraceHandle>(FindWindowA(kTraceViewerClass, nullptr));
  }

  TraceSendResult Send(TraceHandle viewer, const TraceRecord& record,
                       TraceDeadline deadline) noexcept override {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) return TraceSendResult::TimedOut;
    COPYDATASTRUCT data{};
    data.dwData = record.dwData;
    data.cbData = record.cbData;
    data.lpData = const_cast<void*>(record.lpData);
    const HWND window = reinterpret_cast<HWND>(viewer);
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                            SMTO_NORMAL | SMTO_ABORTIFHUNG,
                            static_cast<UINT>(std::min<long long>(left, 60000)), &answer) != 0) {
      return answer != FALSE ? TraceSendResult::Delivered : TraceSendResult::Refused;
    }
    return IsWindow(window) ? TraceSendResult::TimedOut : TraceSendResult::Gone;
  }

  // A window handle is not owned by whoever finds it.
  void Release(TraceHandle) noexcept override {}
};

}  // namespace

ITraceTransport& PlatformTraceTransport() {
  static auto* transport = new Win32TraceTransport();
  return *transport;
}

int TraceGetLastError() noexcept {
  return static_cast<int>(GetLastError());
}

void TraceSetLastError(int value) noexcept {
  SetLastError(static_cast<DWORD>(value));
}

std::uintptr_t TraceProcessId() noexcept {
  return static_cast<std::uintptr_t>(GetCurrentProcessId());
}

}  // namespace zeb
