// A transport that records what TRACE asks of it, in place of the platform's.
#pragma once

#include <array>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "trace/TraceTransport.h"
#include "trace/uTrace.h"

namespace zeb {

struct SentRecord {
  TraceHandle viewer;
  std::uintptr_t dwData;
  std::uint32_t cbData;
  std::string bytes;  // cbData bytes from lpData
};

class FakeTransport : public ITraceTransport {
 public:
  // What FindViewer returns; each lookup of a found viewer gets a handle of its own from
  // `next` on, so a test sees which one TRACE kept.
  bool viewerRunning = true;
  TraceHandle next = 100;
  // What the next sends report, in order; Delivered once these are used up.
  std::deque<TraceSendResult> results;

  // FindViewer waits (10 s at most) until this many lookups are under way at once, so that
  // threads race to the first lookup for certain.
  int gatherLookups = 0;

  std::chrono::milliseconds Timeout() const noexcept override { return std::chrono::seconds(2); }
  TraceHandle FindViewer(TraceDeadline) noexcept override {
    std::unique_lock lock(mutex);
    ++finds;
    if (finds <= gatherLookups) {
      gathered.notify_all();
      gathered.wait_for(lock, std::chrono::seconds(10), [&] { return finds >= gatherLookups; });
    }
    errno = EHOSTUNREACH;  // lookups change the last-error value; TRACE must undo that
    return viewerRunning ? next++ : 0;
  }
  TraceSendResult Send(TraceHandle viewer, const TraceRecord& r, TraceDeadline) noexcept override {
    const std::lock_guard lock(mutex);
    sent.push_back(
        {viewer, r.dwData, r.cbData, std::string(static_cast<const char*>(r.lpData), r.cbData)});
    errno = EPIPE;
    if (results.empty()) return TraceSendResult::Delivered;
    const TraceSendResult result = results.front();
    results.pop_front();
    return result;
  }
  void Release(TraceHandle viewer) noexcept override {
    const std::lock_guard lock(mutex);
    released.push_back(viewer);
  }

  std::mutex mutex;
  std::condition_variable gathered;
  int finds = 0;
  std::vector<SentRecord> sent;
  std::vector<TraceHandle> released;
};

// Puts a transport in place for one test and the platform's back afterwards, forgetting the
// viewer found either side.
class ScopedTransport {
 public:
  explicit ScopedTransport(ITraceTransport& t) { SetTraceTransport(&t); }
  ~ScopedTransport() { SetTraceTransport(nullptr); }
  ScopedTransport(const ScopedTransport&) = delete;
  ScopedTransport& operator=(const ScopedTransport&) = delete;
};

inline std::ostream& operator<<(std::ostream& out, TraceOutcome outcome) {
  return out << DescribeTraceOutcome(outcome);
}

// TraceDelivery with its arguments listed, as TRACE takes them.
template <TVarRecValue... Args>
TraceOutcome Delivery(std::string_view fmt, const Args&... args) {
  const std::array<TVarRec, sizeof...(Args)> list{TVarRec(args)...};
  return TraceDelivery(fmt, list);
}

}  // namespace zeb
