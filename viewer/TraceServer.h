// The viewer's end of the trace channel: it owns the "TFormTrace" socket, accepts senders of
// the same user, reads their records, hands sound ones on and acknowledges every record.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "viewer/TraceLine.h"

// Why the viewer cannot start (another one runs, the path is taken by something else...).
class ViewerError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TraceServer {
 public:
  struct Handlers {
    std::function<void(const TraceMessage&)> message;
    std::function<void(const std::string&)> problem;  // a bad record, a refused peer
  };

  // Becomes the endpoint at `socketPath`. One viewer per path: a lock file beside the socket
  // ("<path>.lock") is held while it runs, so a socket file left by a crashed viewer is known to
  // be stale and is replaced, while a running viewer makes this raise ViewerError.
  explicit TraceServer(std::string socketPath);
  ~TraceServer();  // removes the socket
  TraceServer(const TraceServer&) = delete;
  TraceServer& operator=(const TraceServer&) = delete;

  const std::string& SocketPath() const { return path_; }

  // Serves until `stopFd` becomes readable (or reports an error).
  void Run(int stopFd, const Handlers& handlers);

 private:
  struct Connection;
  void Accept(const Handlers& handlers);
  // False when the connection is to be dropped.
  bool Read(Connection& c, const Handlers& handlers);
  bool Acknowledge(Connection& c, TraceAckStatus status);

  std::string path_;
  int lockFd_ = -1;
  int listenFd_ = -1;
  std::vector<std::unique_ptr<Connection>> connections_;
};
