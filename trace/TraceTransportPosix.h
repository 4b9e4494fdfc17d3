// The POSIX transport: the viewer is a Unix-domain stream socket named "TFormTrace" (see
// TraceSocketPath.h); looking it up is connecting to it, and the connection is the handle.
//
// A lookup first asks whether a socket is at the path at all (one stat), so that tracing with no
// viewer costs about that. Delivery waits for the viewer's acknowledgement, but never past the
// caller's deadline: a viewer that hangs costs each message at most the timeout, and the IDE goes
// on. A connection that can carry nothing more (the viewer closed it or was killed, or a record
// was sent in part) is closed at once and its handle is dead; every connection gets a number of
// its own, so a dead handle never reaches a later connection. No SIGPIPE. Only a viewer running
// as the same user is accepted. Messages from several threads are sent one after another, never
// interleaved. A message over the viewer's bound (kTraceMaxRecord) is not sent.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "trace/TraceTransport.h"
#include "trace/TraceWire.h"

namespace zeb {

class PosixTraceTransport final : public ITraceTransport {
 public:
  // `path` replaces the socket path of the user's runtime directory.
  explicit PosixTraceTransport(std::chrono::milliseconds timeout = std::chrono::seconds(2),
                               std::optional<std::string> path = std::nullopt);
  ~PosixTraceTransport() override;
  PosixTraceTransport(const PosixTraceTransport&) = delete;
  PosixTraceTransport& operator=(const PosixTraceTransport&) = delete;

  std::chrono::milliseconds Timeout() const noexcept override { return timeout_; }
  TraceHandle FindViewer(TraceDeadline deadline) noexcept override;
  TraceSendResult Send(TraceHandle viewer, const TraceRecord& record,
                       TraceDeadline deadline) noexcept override;
  void Release(TraceHandle viewer) noexcept override;

  // For tests: the descriptor of a live handle's connection, -1 for a dead one.
  int DescriptorOf(TraceHandle viewer);

 private:
  struct Connection;
  // With table_ held.
  Connection* Find(TraceHandle viewer);
  void Drop(TraceHandle viewer);
  TraceSendResult Exchange(Connection& c, const TraceRecord& record, TraceDeadline deadline);

  std::chrono::milliseconds timeout_;
  // The connections' receive timeout: a little under the timeout, so that a send that starts
  // with at least this much time left may wait for its answer in one blocking read.
  std::chrono::microseconds quickWait_;
  std::optional<std::string> path_;
  // One record at a time on the stream, in whole; held through a send (up to its deadline).
  std::timed_mutex sending_;
  // Guards the table below; never held while waiting on the viewer, so a release never waits
  // for a send to time out.
  std::mutex table_;
  // The connections FindViewer opened that are neither released nor dead. A connection in use
  // by a send is closed by that send once it ends, not under it.
  std::vector<std::unique_ptr<Connection>> open_;
  TraceHandle lastHandle_ = 0;
  TraceHandle lastDead_ = 0;  // the last one a send found unable to carry more
  std::uint64_t sequence_ = 0;
};

}  // namespace zeb
