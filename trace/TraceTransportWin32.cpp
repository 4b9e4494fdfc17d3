// The Win32 transport: the viewer is the top-level window of class "TFormTrace", and each
// message is a WM_COPYDATA sent to it with SendMessageA, which returns once the viewer has
// handled it.
#include <windows.h>

#include "trace/TraceTransport.h"

namespace {

class Win32TraceTransport final : public ITraceTransport {
 public:
  TraceHandle FindViewer() noexcept override {
    return reinterpret_cast<TraceHandle>(FindWindowA("TFormTrace", nullptr));
  }

  void Send(TraceHandle viewer, const TraceRecord& record) noexcept override {
    COPYDATASTRUCT data{};
    data.dwData = record.dwData;
    data.cbData = record.cbData;
    data.lpData = const_cast<void*>(record.lpData);
    SendMessageA(reinterpret_cast<HWND>(viewer), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
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
