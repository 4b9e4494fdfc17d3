#include "trace/uTrace.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "runtime/Exceptions.h"
#include "trace/TraceTransport.h"

using namespace zeb;

namespace {

// The viewer: set by a successful lookup and kept while it works. One word, shared between
// threads; set from 0 to a looked-up handle, and back to 0 when a send finds the viewer gone (so
// the next call looks again), when the unit finalises, or when a test swaps the transport.
std::atomic<TraceHandle> TraceWindow{0};

// The context values are the unit's initialisation's from the moment the library holding the
// unit is loaded (see the end of this file), so that a package whose author never calls
// InitializeuTrace sends the same suffix.
std::int32_t TraceContextNum = 0;
std::string TraceContextStr1;
std::string TraceContextStr2;
// "|%d|%s|%s|." of the three values above, made once by the unit's initialisation (nothing
// changes them afterwards); empty after the unit's finalisation, when each call formats it.
std::string TraceSuffix;

std::atomic<ITraceTransport*> activeTransport{nullptr};

ITraceTransport& Transport() {
  ITraceTransport* t = activeTransport.load(std::memory_order_acquire);
  return t != nullptr ? *t : PlatformTraceTransport();
}

std::string Suffix() {
  const TVarRec context[] = {TraceContextNum, TraceContextStr1, TraceContextStr2};
  return Format("|%d|%s|%s|.", context);
}

// Takes the handle found if no other thread has stored one meanwhile; otherwise gives it back
// and uses the one stored.
TraceHandle Lookup(ITraceTransport& transport, TraceDeadline deadline) {
  TraceHandle found = transport.FindViewer(deadline);
  if (found == 0) return 0;
  TraceHandle expected = 0;
  if (TraceWindow.compare_exchange_strong(expected, found, std::memory_order_acq_rel)) {
    return found;
  }
  transport.Release(found);
  return expected;
}

// A handle the transport has reported dead is forgotten, unless another thread has already
// put a new one in its place.
void ForgetDead(TraceHandle dead) {
  TraceHandle expected = dead;
  TraceWindow.compare_exchange_strong(expected, 0, std::memory_order_acq_rel);
}

void ForgetViewer(ITraceTransport& transport) {
  const TraceHandle held = TraceWindow.exchange(0, std::memory_order_acq_rel);
  if (held != 0) transport.Release(held);
}

TraceOutcome Deliver(const std::string& text) {
  ITraceTransport& transport = Transport();
  const TraceDeadline deadline = std::chrono::steady_clock::now() + transport.Timeout();
  TraceHandle viewer = TraceWindow.load(std::memory_order_acquire);
  const bool held = viewer != 0;
  if (!held) viewer = Lookup(transport, deadline);
  if (viewer == 0) return TraceOutcome::NoViewer;
  // Format's bound keeps every text well within a record's 32-bit length.
  static_assert(kFormatMaxLength < std::numeric_limits<std::uint32_t>::max() / 2);
  const TraceRecord record{TraceProcessId(), static_cast<std::uint32_t>(text.size() + 1),
                           text.c_str()};
  TraceSendResult result = transport.Send(viewer, record, deadline);
  if (result == TraceSendResult::Gone && held) {
    // The viewer kept from earlier has gone (it was restarted, say) and nothing of this message
    // reached it: look again, so that the first message after a restart is not lost too.
    ForgetDead(viewer);
    viewer = Lookup(transport, deadline);
    if (viewer == 0) return TraceOutcome::NoViewer;
    result = transport.Send(viewer, record, deadline);
  }
  switch (result) {
    case TraceSendResult::Delivered:
      return TraceOutcome::Delivered;
    case TraceSendResult::Refused:
      return TraceOutcome::Refused;
    case TraceSendResult::TimedOut:
      return TraceOutcome::TimedOut;
    case TraceSendResult::Broken:
    case TraceSendResult::Gone:
      ForgetDead(viewer);
      return TraceOutcome::Lost;
  }
  return TraceOutcome::Lost;
}

}  // namespace

TraceOutcome zeb::TraceDelivery(std::string_view fmt, std::span<const TVarRec> args) {
  std::string text;
  try {
    FmtStr(text, fmt, args);  // a misfit raises here, before any lookup or send
    if (TraceSuffix.empty()) {
      text += Suffix();
    } else {
      text += TraceSuffix;
    }
  } catch (const std::bad_alloc&) {
    // A message too big for the memory left is lost, like one no viewer takes: tracing must
    // not end the program.
    return TraceOutcome::OutOfMemory;
  }
  const int lastError = TraceGetLastError();
  const TraceOutcome outcome = Deliver(text);
  TraceSetLastError(lastError);
  return outcome;
}

const char* zeb::DescribeTraceOutcome(TraceOutcome outcome) {
  switch (outcome) {
    case TraceOutcome::Delivered:
      return "delivered";
    case TraceOutcome::NoViewer:
      return "no viewer is running";
    case TraceOutcome::Refused:
      return "the viewer refused it";
    case TraceOutcome::TimedOut:
      return "the viewer did not answer in time";
    case TraceOutcome::Lost:
      return "the connection to the viewer broke";
    case TraceOutcome::OutOfMemory:
      return "out of memory";
  }
  return "unknown";
}

void TRACE(std::string_view fmt, std::span<const TVarRec> args) {
  TraceDelivery(fmt, args);
}

void RTRACE(std::string_view, std::span<const TVarRec>) {}

void InitializeuTrace() {
  TraceContextNum = 0;
  TraceContextStr1.assign(1, '.');
  TraceContextStr2.assign(1, '.');
  TraceSuffix = Suffix();
}

void FinalizeuTrace() {
  // The connection goes with the module; a handle kept past unload would leak it.
  ForgetViewer(Transport());
  std::string().swap(TraceContextStr1);
  std::string().swap(TraceContextStr2);
  std::string().swap(TraceSuffix);
}

namespace {
// The unit's initialisation runs as the library holding it is loaded (a package's static
// initialisers run within dlopen or LoadLibrary), after the values above are constructed.
[[maybe_unused]] const bool initializedAtLoad = (InitializeuTrace(), true);
}  // namespace

ITraceTransport* zeb::SetTraceTransport(ITraceTransport* transport) {
  ForgetViewer(Transport());
  return activeTransport.exchange(transport, std::memory_order_acq_rel);
}

TraceHandle zeb::CurrentTraceWindow() {
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
