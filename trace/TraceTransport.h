// The seam between TRACE and the platform: finding the viewer and delivering one record to it.
// Each platform has one implementation (TraceTransportPosix.cpp, TraceTransportWin32.cpp); tests
// put their own in its place to count lookups and sends.
#pragma once

#include <chrono>
#include <cstdint>

namespace zeb {

// The viewer's name on every platform: its window class on Win32, its socket's file name on POSIX.
inline constexpr const char* kTraceViewerClass = "TFormTrace";

// A viewer endpoint; 0 is none. On Win32 the window handle, on POSIX a connection's number.
using TraceHandle = std::uintptr_t;

// When one TRACE must be done with its lookup and send, whatever happens at the other end.
using TraceDeadline = std::chrono::steady_clock::time_point;

// The record delivered with each message, as Win32's COPYDATASTRUCT.
struct TraceRecord {
  std::uintptr_t dwData;
  std::uint32_t cbData;  // bytes at lpData, the terminating NUL included
  const void* lpData;
};

// What became of one record.
enum class TraceSendResult {
  Delivered,  // the viewer has handled it
  Refused,    // the viewer answered that it does not take it
  TimedOut,   // no answer by the deadline; the endpoint can still carry the next one
  // The endpoint can carry nothing more and the transport has let it go: the handle is dead.
  Broken,  // part of the record may have reached the viewer
  Gone,    // nothing of it did: another viewer may be looked up for this same record
};

class ITraceTransport {
 public:
  virtual ~ITraceTransport() = default;
  // How long one TRACE may take at most: its lookup and its send share this bound.
  virtual std::chrono::milliseconds Timeout() const noexcept = 0;
  // Looks for the viewer; 0 when there is none. May change the last-error value.
  virtual TraceHandle FindViewer(TraceDeadline deadline) noexcept = 0;
  // Delivers one record synchronously, giving up at the deadline. May change the last-error
  // value. Called from several threads at once, with the same handle too.
  virtual TraceSendResult Send(TraceHandle viewer, const TraceRecord& record,
                               TraceDeadline deadline) noexcept = 0;
  // Gives back a handle FindViewer returned (and no Send has reported dead). Another thread may
  // still hold it (TRACE read it just before the unit finalised): a send through it then does
  // nothing, and a send already under way ends before the endpoint goes.
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

}  // namespace zeb
