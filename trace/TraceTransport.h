// The seam between TRACE and the platform: finding the viewer and delivering one record to it.
// Each platform has one implementation (TraceTransportPosix.cpp, TraceTransportWin32.cpp); tests
// put their own in its place to count lookups and sends.
#pragma once

#include <cstdint>

// A viewer endpoint; 0 is none. On Win32 the window handle, on POSIX the connection.
using TraceHandle = std::uintptr_t;

// The record delivered with each message, as Win32's COPYDATASTRUCT.
struct TraceRecord {
  std::uintptr_t dwData;
  std::uint32_t cbData;  // bytes at lpData, the terminating NUL included
  const void* lpData;
};

class ITraceTransport {
 public:
  virtual ~ITraceTransport() = default;
  // Looks for the viewer; 0 when there is none. May change the last-error value.
  virtual TraceHandle FindViewer() noexcept = 0;
  // Delivers one record synchronously; the outcome is not reported. May change the last-error
  // value. Called from several threads at once.
  virtual void Send(TraceHandle viewer, const TraceRecord& record) noexcept = 0;
  // Gives back a handle FindViewer returned. Another thread may still hold it (TRACE read it
  // just before the unit finalised): a send through it then does nothing, and a send already
  // under way ends before the endpoint goes.
  virtual void Release(TraceHandle viewer) noexcept = 0;
};

// The platform's transport.
ITraceTransport& PlatformTraceTransport();

// The calling thread's last-error value: GetLastError on Win32, errno on POSIX.
int TraceGetLastError() noexcept;
void TraceSetLastError(int value) noexcept;
// The calling process's id, which TRACE puts in dwData.
std::uintptr_t TraceProcessId() noexcept;

// For tests: makes `transport` (nullptr: the platform's) the one TRACE uses, forgets the viewer
// found so far (releasing it through the transport that found it), and returns the previous one.
ITraceTransport* SetTraceTransport(ITraceTransport* transport);
// For tests: the viewer TRACE holds, 0 when none has been found.
TraceHandle CurrentTraceWindow();
