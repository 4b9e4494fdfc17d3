#include "trace/uTrace.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "runtime/Exceptions.h"
#include "trace/TraceTransport.h"

namespace {

// The viewer: set by the first successful lookup and kept for the life of the module. One word,
// shared between threads; only ever set from 0 to a looked-up handle, or back to 0 when the
// unit finalises (or a test swaps the transport).
std::atomic<TraceHandle> TraceWindow{0};

std::int32_t TraceContextNum = 0;
std::string TraceContextStr1;
std::string TraceContextStr2;

std::atomic<ITraceTransport*> activeTransport{nullptr};

ITraceTransport& Transport() {
  ITraceTransport* t = activeTransport.load(std::memory_order_acquire);
  return t != nullptr ? *t : PlatformTraceTransport();
}

// Takes the handle found if no other thread has stored one meanwhile; otherwise gives it back
// and uses the one stored.
TraceHandle Lookup(ITraceTransport& transport) {
  TraceHandle found = transport.FindViewer();
  if (found == 0) return 0;
  TraceHandle expected = 0;
  if (TraceWindow.compare_exchange_strong(expected, found, std::memory_order_acq_rel)) {
    return found;
  }
  transport.Release(found);
  return expected;
}

void ForgetViewer(ITraceTransport& transport) {
  const TraceHandle held = TraceWindow.exchange(0, std::memory_order_acq_rel);
  if (held != 0) transport.Release(held);
}

}  // namespace

void TRACE(std::string_view fmt, std::span<const TVarRec> args) {
  std::string text;
  FmtStr(text, fmt, args);  // a misfit raises here, before any lookup or send
  const TVarRec context[] = {TraceContextNum, TraceContextStr1, TraceContextStr2};
  text += Format("|%d|%s|%s|.", context);

  const int lastError = TraceGetLastError();
  // cbData is 32 bits: a text that does not fit is not sent rather than sent cut short.
  if (text.size() < std::numeric_limits<std::uint32_t>::max()) {
    const TraceRecord record{TraceProcessId(), static_cast<std::uint32_t>(text.size() + 1),
                             text.c_str()};
    ITraceTransport& transport = Transport();
    TraceHandle viewer = TraceWindow.load(std::memory_order_acquire);
    if (viewer == 0) viewer = Lookup(transport);
    if (viewer != 0) transport.Send(viewer, record);
  }
  TraceSetLastError(lastError);
}

void RTRACE(std::string_view, std::span<const TVarRec>) {}

void InitializeuTrace() {
  TraceContextNum = 0;
  TraceContextStr1 = ".";
  TraceContextStr2 = ".";
}

void FinalizeuTrace() {
  // The connection goes with the module; a handle kept past unload would leak it.
  ForgetViewer(Transport());
  std::string().swap(TraceContextStr1);
  std::string().swap(TraceContextStr2);
}

ITraceTransport* SetTraceTransport(ITraceTransport* transport) {
  ForgetViewer(Transport());
  return activeTransport.exchange(transport, std::memory_order_acq_rel);
}

TraceHandle CurrentTraceWindow() {
  return TraceWindow.load(std::memory_order_acquire);
}

namespace {

int Fail(const std::string& message, char* error, std::size_t errorSize) {
  if (error != nullptr && errorSize > 0) {
    const std::size_t n = std::min(message.size(), errorSize - 1);
    std::memcpy(error, message.data(), n);
    error[n] = '\0';
  }
  return -1;
}

// Converts the C arguments; false (with the message) for a kind it does not know.
bool ToRecs(const ZebTraceArg* args, std::size_t count, std::vector<TVarRec>& recs,
            std::string& message) {
  recs.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const ZebTraceArg& a = args[i];
    switch (a.kind) {
      case ZEB_TRACE_INT32:
        recs.emplace_back(a.value.i32);
        break;
      case ZEB_TRACE_INT64:
        recs.emplace_back(a.value.i64);
        break;
      case ZEB_TRACE_DOUBLE:
        recs.emplace_back(a.value.f64);
        break;
      case ZEB_TRACE_TEXT:
        recs.emplace_back(a.value.text.data != nullptr
                              ? std::string_view(a.value.text.data, a.value.text.length)
                              : std::string_view());
        break;
      case ZEB_TRACE_CHAR:
        recs.emplace_back(a.value.ch);
        break;
      case ZEB_TRACE_POINTER:
        recs.emplace_back(a.value.pointer);
        break;
      default:
        message =
            "Unknown argument kind " + std::to_string(a.kind) + " at position " + std::to_string(i);
        return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int ZebTrace(const char* fmt, const ZebTraceArg* args, std::size_t count, char* error,
                        std::size_t errorSize) {
  // No exception crosses into C.
  try {
    std::vector<TVarRec> recs;
    std::string message;
    if (count > 0 && args == nullptr) return Fail("No arguments given", error, errorSize);
    if (!ToRecs(args, count, recs, message)) return Fail(message, error, errorSize);
    TRACE(fmt != nullptr ? std::string_view(fmt) : std::string_view(), recs);
    return 0;
  } catch (const Exception& e) {
    return Fail(e.Message(), error, errorSize);
  } catch (const std::exception& e) {
    return Fail(e.what(), error, errorSize);
  }
}

extern "C" int ZebRTrace(const char*, const ZebTraceArg*, std::size_t, char*, std::size_t) {
  return 0;
}
