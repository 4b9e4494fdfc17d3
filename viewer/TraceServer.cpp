#include "viewer/TraceServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

struct TraceServer::Connection {
  int fd = -1;
  std::int64_t pid = 0;
  std::string name;
  TraceWireHeader header{};
  std::size_t headerBytes = 0;
  std::string payload;
  std::size_t payloadBytes = 0;

  ~Connection() {
    if (fd >= 0) close(fd);
  }
  std::string Who() const { return "pid " + std::to_string(pid) + " (" + name + ")"; }
};

namespace {

std::string Errno(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

std::string ProcessName(std::int64_t pid) {
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  if (!std::getline(comm, name) || name.empty()) return "?";
  return name;
}

sockaddr_un Address(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) throw ViewerError(path + ": path too long");
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return address;
}

}  // namespace

TraceServer::TraceServer(std::string socketPath) : path_(std::move(socketPath)) {
  const sockaddr_un address = Address(path_);
  const std::string lockPath = path_ + ".lock";
  lockFd_ = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (lockFd_ < 0) throw ViewerError(Errno(lockPath));
  if (flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
    const bool running = errno == EWOULDBLOCK;
    close(lockFd_);
    if (running) throw ViewerError("a viewer is already running (" + path_ + ")");
    throw ViewerError(Errno(lockPath));
  }

  // Holding the lock, any socket file at the path is one a crashed viewer left behind. Only a
  // socket is removed: anything else at the path is someone's file.
  struct stat st {};
  if (lstat(path_.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) {
      close(lockFd_);
      throw ViewerError(path_ + " exists and is not a socket; not replacing it");
    }
    unlink(path_.c_str());
  }

  listenFd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (listenFd_ < 0) {
    close(lockFd_);
    throw ViewerError(Errno("socket"));
  }
  // Created private: only the user may connect (the peer check below stands behind it).
  const mode_t oldMask = umask(0177);
  const int bound = bind(listenFd_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  umask(oldMask);
  if (bound != 0 || listen(listenFd_, 64) != 0) {
    const std::string why = Errno(path_);
    close(listenFd_);
    close(lockFd_);
    throw ViewerError(why);
  }
}

TraceServer::~TraceServer() {
  connections_.clear();
  close(listenFd_);
  unlink(path_.c_str());
  close(lockFd_);
}

void TraceServer::Run(int stopFd, const Handlers& handlers) {
  std::vector<pollfd> fds;
  for (;;) {
    fds.clear();
    fds.push_back({stopFd, POLLIN, 0});
    fds.push_back({listenFd_, POLLIN, 0});
    for (const auto& c : connections_)
      fds.push_back({c->fd, POLLIN, 0});
    if (poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      throw ViewerError(Errno("poll"));
    }
    if (fds[0].revents != 0) return;
    if (fds[1].revents != 0) Accept(handlers);
    // Connections accepted just now are polled next round.
    std::vector<std::unique_ptr<Connection>> kept;
    for (std::size_t i = 0; i < connections_.size(); ++i) {
      auto& c = connections_[i];
      const short revents = i + 2 < fds.size() ? fds[i + 2].revents : 0;
      if (revents == 0 || Read(*c, handlers)) kept.push_back(std::move(c));
    }
    connections_ = std::move(kept);
  }
}

void TraceServer::Accept(const Handlers& handlers) {
  for (;;) {
    const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) return;
    auto c = std::make_unique<Connection>();
    c->fd = fd;
    ucred peer{};
    socklen_t length = sizeof peer;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0) {
      handlers.problem("refused a sender whose credentials cannot be read");
      continue;
    }
    c->pid = peer.pid;
    if (peer.uid != geteuid()) {
      handlers.problem("refused a sender of another user (uid " + std::to_string(peer.uid) +
                       ", pid " + std::to_string(peer.pid) + ")");
      continue;
    }
    c->name = ProcessName(peer.pid);
    connections_.push_back(std::move(c));
  }
}

bool TraceServer::Read(Connection& c, const Handlers& handlers) {
  for (;;) {
    char* target = nullptr;
    std::size_t want = 0;
    if (c.headerBytes < sizeof c.header) {
      target = reinterpret_cast<char*>(&c.header) + c.headerBytes;
      want = sizeof c.header - c.headerBytes;
    } else {
      target = c.payload.data() + c.payloadBytes;
      want = c.payload.size() - c.payloadBytes;
    }
    if (want > 0) {
      const ssize_t n = recv(c.fd, target, want, 0);
      if (n == 0) {
        if (c.headerBytes > 0) handlers.problem("sender " + c.Who() + " left mid-record");
        return false;
      }
      if (n < 0) return errno == EAGAIN || errno == EINTR;
      if (c.headerBytes < sizeof c.header) {
        c.headerBytes += static_cast<std::size_t>(n);
        if (c.headerBytes < sizeof c.header) continue;
        if (auto bad = CheckHeader(c.header)) {
          handlers.problem("bad record from " + c.Who() + ": " + *bad + "; connection dropped");
          return false;
        }
        c.payload.assign(c.header.length, '\0');
        c.payloadBytes = 0;
        if (c.header.length > 0) continue;
      } else {
        c.payloadBytes += static_cast<std::size_t>(n);
        if (c.payloadBytes < c.payload.size()) continue;
      }
    }
    // A whole record.
    TraceAckStatus status = TraceAckStatus::Handled;
    if (auto bad = CheckRecord(c.header, c.payload)) {
      handlers.problem("bad record from " + c.Who() + ": " + *bad);
      status = TraceAckStatus::Refused;
    } else {
      TraceMessage m;
      m.received = std::chrono::system_clock::now();
      m.pid = c.pid;
      m.processName = c.name;
      m.dwData = c.header.dwData;
      m.cbData = c.header.cbData;
      c.payload.pop_back();
      m.text = std::move(c.payload);
      handlers.message(m);
    }
    c.headerBytes = 0;
    c.payload.clear();
    c.payload.shrink_to_fit();
    if (!Acknowledge(c, status)) return false;
  }
}

bool TraceServer::Acknowledge(Connection& c, TraceAckStatus status) {
  const TraceWireAck ack{kTraceAckMagic, status, c.header.sequence};
  // 16 bytes fit unless the sender stopped reading acknowledgements altogether.
  return send(c.fd, &ack, sizeof ack, MSG_NOSIGNAL | MSG_DONTWAIT) ==
         static_cast<ssize_t>(sizeof ack);
}
