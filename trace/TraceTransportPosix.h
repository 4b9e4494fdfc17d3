// The POSIX transport: the viewer is a Unix-domain stream socket named "TFormTrace" (see
// TraceSocketPath.h); looking it up is connecting to it, and the connection is the handle.
//
// Delivery waits for the viewer's acknowledgement, but never longer than the timeout: a viewer
// that hangs costs each message at most that long, and the IDE goes on. A viewer that has closed
// makes sends fail quietly (no SIGPIPE). Only a viewer running as the same user is accepted.
// Messages from several threads are sent one after another, never interleaved. A message over
// the viewer's bound (kTraceMaxRecord) is not sent.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "trace/TraceTransport.h"
#include "trace/TraceWire.h"

class PosixTraceTransport final : public ITraceTransport {
 public:
  // `path` replaces the socket path of the user's runtime directory.
  explicit PosixTraceTransport(std::chrono::milliseconds timeout = std::chrono::seconds(2),
                               std::optional<std::string> path = std::nullopt);

  TraceHandle FindViewer() noexcept override;
  void Send(TraceHandle viewer, const TraceRecord& record) noexcept override;
  void Release(TraceHandle viewer) noexcept override;

 private:
  bool ReadAck(int fd, std::uint64_t sequence,
               std::chrono::steady_clock::time_point deadline) noexcept;

  std::chrono::milliseconds timeout_;
  std::optional<std::string> path_;
  std::timed_mutex mutex_;  // one message at a time on the connection; guards what follows
  // The connections FindViewer opened and Release has not closed. A handle is used only while
  // its descriptor is here, so that a send through a released handle cannot reach a descriptor
  // the process has reused since, and a release cannot close one under a send.
  std::vector<int> open_;
  std::uint64_t sequence_ = 0;
  // An acknowledgement read only in part when a wait timed out; completed by the next send.
  TraceWireAck ack_{};
  std::size_t ackBytes_ = 0;
};
