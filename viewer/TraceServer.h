// The viewer's end of the trace channel: it owns the "TFormTrace" socket, accepts senders of
// the same user, reads their records, hands sound ones on and acknowledges every record.
//
// It holds up against senders that misbehave, and goes on serving the others: memory for a
// record grows as its bytes arrive; what all senders' unfinished records hold together is
// bounded, and a read that would pass the bound drops the sender holding the most (reported as
// a problem). Out of file descriptors, it takes each new connection and closes it at once (with
// a descriptor kept spare for that), and reports it once (again a minute later at the soonest).
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "trace/TraceWire.h"
#include "viewer/TraceLine.h"
#include "viewer/TraceRecordReader.h"
#include "viewer/Viewer.h"

namespace zeb {

// What the viewer holds at most for records still arriving.
struct TraceServerLimits {
  std::uint32_t perSender = kTraceMaxRecord;   // the longest record a sender may announce
  std::size_t total = std::size_t{256} << 20;  // all unfinished records together
};

class TraceServer {
 public:
  using Handlers = ViewerHandlers;
  using Limits = TraceServerLimits;

  // Becomes the endpoint at `socketPath`. One viewer per path: a lock file beside the socket
  // ("<path>.lock") is held while it runs, so a socket file left by a crashed viewer is known to
  // be stale and is replaced, while a running viewer makes this raise ViewerError.
  explicit TraceServer(std::string socketPath, Limits limits = Limits());
  ~TraceServer();  // removes the socket
  TraceServer(const TraceServer&) = delete;
  TraceServer& operator=(const TraceServer&) = delete;

  const std::string& SocketPath() const { return path_; }

  // Serves until `stopFd` becomes readable; passes on what a handler raises, and raises
  // ViewerError when the system fails it.
  void Run(int stopFd, const Handlers& handlers);

 private:
  struct Connection;
  void Accept(const Handlers& handlers);
  // Turns one waiting connection away; false when accepting must pause instead.
  bool RefuseForWantOfDescriptors(const Handlers& handlers);
  // False when the connection is to be dropped.
  bool Read(Connection& c, const Handlers& handlers);
  bool Handle(Connection& c, TraceRecordReader::Event& event, const Handlers& handlers);
  // Makes room for `c` to grow by `growth` bytes within the total bound, dropping the greediest
  // sender as long as there is none; false when that is `c` itself.
  bool MakeRoom(Connection& c, std::size_t growth, const Handlers& handlers);
  // Sends the acknowledgements of the records handled in this round, after handlers.flush.
  void Acknowledge(const Handlers& handlers);

  std::string path_;
  Limits limits_;
  int lockFd_ = -1;
  int listenFd_ = -1;
  int spareFd_ = -1;  // given up to accept-and-close a connection when no other descriptor is left
  bool reportedNoDescriptors_ = false;
  std::chrono::steady_clock::time_point noDescriptorsReported_{};
  std::chrono::steady_clock::time_point acceptAgain_{};  // accepting paused until then
  std::vector<std::unique_ptr<Connection>> connections_;
  struct PendingAck {
    Connection* connection;
    TraceWireAck ack;
  };
  std::vector<PendingAck> acks_;  // of the records handled since the last Acknowledge
};

}  // namespace zeb
