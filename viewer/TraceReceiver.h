// A viewer that serves on a thread of its own and hands what it receives to another thread (a
// window's) in batches. Senders are answered by the serving thread alone, so that a TRACE from
// the receiving thread itself, or from any thread while that one is busy, is answered without
// waiting for it; the receiving thread takes whatever has come when it is told something has.
//
// What waits to be taken is bounded like a store (TraceStoreLimits): past the bounds the oldest
// waiting messages go, counted, as a store would drop them anyway.
#pragma once

#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "viewer/TraceLine.h"
#include "viewer/TraceOutput.h"
#include "viewer/TraceServer.h"
#include "viewer/TraceStore.h"

namespace zeb {

class TraceReceiver {
 public:
  struct Options {
    std::string socketPath;
    // --output: each message's line is appended here before it is acknowledged; a write that
    // fails stops the receiver (the file stays the caller's).
    std::FILE* output = nullptr;
    std::string outputName;
    TraceStoreLimits limits;
  };
  struct Batch {
    std::deque<TraceMessage> messages;
    std::uint64_t dropped = 0;  // waiting messages dropped past the bounds
    std::vector<std::string> problems;
    std::optional<std::string> stopped;  // why the receiver stopped on its own, once
  };

  // Becomes the viewer at options.socketPath (ViewerError when it cannot: one runs already, say)
  // and serves. `ready` is called on the serving thread whenever something comes while nothing
  // waited to be taken.
  TraceReceiver(Options options, std::function<void()> ready);
  // Stops serving and gives up the socket.
  ~TraceReceiver();
  // Stops serving: what came before is still there to take. The socket goes with the object.
  void Stop();
  TraceReceiver(const TraceReceiver&) = delete;
  TraceReceiver& operator=(const TraceReceiver&) = delete;

  const std::string& SocketPath() const { return server_.SocketPath(); }
  // Everything that came since the last call.
  Batch Take();

 private:
  void Serve();
  // Called with the lock held: true when nothing waited before.
  bool WasEmpty() const;
  void Ready(std::unique_lock<std::mutex>& lock, bool wasEmpty);

  Options options_;
  std::function<void()> ready_;
  TraceServer server_;
  TraceOutput output_;
  int stop_[2] = {-1, -1};
  std::mutex mutex_;
  Batch waiting_;
  std::uint64_t waitingBytes_ = 0;
  std::thread thread_;
};

}  // namespace zeb
