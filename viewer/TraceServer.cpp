#include "viewer/TraceServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "viewer/TraceRecordReader.h"

namespace zeb {

struct TraceServer::Connection {
  int fd = -1;
  std::int64_t pid = 0;
  std::string name;
  TraceRecordReader reader;
  bool dropped = false;  // closed to make room for others; removed at the end of the round
  // Handed to the message handler, its sender's fields set once: a message costs no copy of the
  // name.
  TraceMessage message;

  explicit Connection(std::uint32_t maxRecord) : reader(maxRecord) {}
  ~Connection() { Close(); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  void Close() {
    if (fd >= 0) close(fd);
    fd = -1;
  }
  std::string Who() const { return "pid " + std::to_string(pid) + " (" + MakeVisible(name) + ")"; }
};

namespace {

std::string Errno(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

// "?" when it cannot be read (the process is gone, or the viewer is out of descriptors).
std::string ProcessName(std::int64_t pid) {
  const std::string path = "/proc/" + std::to_string(pid) + "/comm";
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return "?";
  char bytes[64];
  ssize_t n = 0;
  do {
    n = read(fd, bytes, sizeof bytes);
  } while (n < 0 && errno == EINTR);
  close(fd);
  if (n <= 0) return "?";
  std::string name(bytes, static_cast<std::size_t>(n));
  name.erase(std::min(name.find('\n'), name.size()));
  return name.empty() ? "?" : name;
}

sockaddr_un Address(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) throw ViewerError(path + ": path too long");
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return address;
}

}  // namespace

TraceServer::TraceServer(std::string socketPath, Limits limits)
    : path_(std::move(socketPath)), limits_(limits) {
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
  spareFd_ = open("/dev/null", O_RDONLY | O_CLOEXEC);
}

TraceServer::~TraceServer() {
  connections_.clear();
  close(listenFd_);
  unlink(path_.c_str());
  close(lockFd_);
  if (spareFd_ >= 0) close(spareFd_);
}

void TraceServer::Run(int stopFd, const Handlers& handlers) {
  using Clock = std::chrono::steady_clock;
  // Records left unanswered when a handler raised stay so: their senders learn it when the
  // viewer goes.
  acks_.clear();
  std::vector<pollfd> fds;
  for (;;) {
    const auto now = Clock::now();
    const bool accepting = now >= acceptAgain_;
    fds.clear();
    fds.push_back({stopFd, POLLIN, 0});
    fds.push_back({accepting ? listenFd_ : -1, POLLIN, 0});  // poll skips a negative descriptor
    for (const auto& c : connections_)
      fds.push_back({c->fd, POLLIN, 0});
    const int timeout =
        accepting ? -1
                  : static_cast<int>(
                        std::chrono::ceil<std::chrono::milliseconds>(acceptAgain_ - now).count());
    if (poll(fds.data(), fds.size(), timeout) < 0) {
      if (errno == EINTR) continue;
      throw ViewerError(Errno("poll"));
    }
    if (fds[0].revents != 0) return;
    if (fds[1].revents != 0) Accept(handlers);
    // Connections accepted just now are polled next round. A read may drop another sender to
    // make room: all stay in the list until the round ends.
    for (std::size_t i = 0; i + 2 < fds.size(); ++i) {
      Connection& c = *connections_[i];
      if (!c.dropped && fds[i + 2].revents != 0 && !Read(c, handlers)) c.dropped = true;
    }
    // The round's records are answered together, once what was made of them is written out:
    // one write for the round, and no answer for a message whose writing failed.
    Acknowledge(handlers);
    std::erase_if(connections_, [](const auto& c) { return c->dropped; });
  }
}

void TraceServer::Accept(const Handlers& handlers) {
  for (;;) {
    const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
      if (errno == EINTR) continue;
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        if (RefuseForWantOfDescriptors(handlers)) continue;
      }
      return;
    }
    auto c = std::make_unique<Connection>(limits_.perSender);
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
    c->message.pid = c->pid;
    c->message.processName = c->name;
    connections_.push_back(std::move(c));
  }
}

bool TraceServer::RefuseForWantOfDescriptors(const Handlers& handlers) {
  // Said once, and again only a minute later at the soonest: a flood of senders must not become
  // a flood of reports (nor spin on them).
  const auto now = std::chrono::steady_clock::now();
  if (!reportedNoDescriptors_ || now - noDescriptorsReported_ >= std::chrono::minutes(1)) {
    reportedNoDescriptors_ = true;
    noDescriptorsReported_ = now;
    handlers.problem(
        "out of file descriptors: new senders are turned away until some of the others leave");
  }
  // The listening socket stays readable while a connection waits: take it with the spare
  // descriptor and close it, so that the sender knows and the loop does not spin. (accept fails
  // for want of a descriptor whether or not one waits.)
  if (spareFd_ >= 0) {
    close(spareFd_);
    const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) close(fd);
    spareFd_ = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (spareFd_ >= 0) return fd >= 0;  // another may wait behind it
  }
  // No spare to give up: stop listening for a while instead.
  acceptAgain_ = now + std::chrono::milliseconds(100);
  return false;
}

bool TraceServer::Read(Connection& c, const Handlers& handlers) {
  for (;;) {
    if (const std::size_t growth = c.reader.Growth();
        growth > 0 && !MakeRoom(c, growth, handlers)) {
      return false;
    }
    const std::span<char> space = c.reader.Space();
    const ssize_t n = recv(c.fd, space.data(), space.size(), 0);
    if (n == 0) {
      if (c.reader.MidRecord()) handlers.problem("sender " + c.Who() + " left mid-record");
      return false;
    }
    if (n < 0) return errno == EAGAIN || errno == EINTR;
    auto event = c.reader.Commit(static_cast<std::size_t>(n));
    if (!event) continue;
    // One read may hold more than one record (from a sender that gave up waiting for an
    // answer): all are handled before the next poll, which only reports bytes not yet read.
    for (; event; event = c.reader.Next()) {
      if (!Handle(c, *event, handlers)) return false;
    }
    // A sender waits for the answer before it sends more, so the next poll finds whatever
    // comes next as soon as a read would.
    return true;
  }
}

bool TraceServer::Handle(Connection& c, TraceRecordReader::Event& event, const Handlers& handlers) {
  using Kind = TraceRecordReader::Event::Kind;
  if (event.kind == Kind::Fatal) {
    handlers.problem("bad record from " + c.Who() + ": " + event.problem + "; connection dropped");
    return false;
  }
  TraceAckStatus status = TraceAckStatus::Handled;
  if (event.kind == Kind::Refused) {
    handlers.problem("bad record from " + c.Who() + ": " + event.problem);
    status = TraceAckStatus::Refused;
  } else {
    TraceMessage& m = c.message;
    m.received = std::chrono::system_clock::now();
    m.dwData = event.header.dwData;
    m.cbData = event.header.cbData;
    m.text = std::move(event.text);
    handlers.message(m);
  }
  acks_.push_back({&c, {kTraceAckMagic, status, event.header.sequence}});
  return true;
}

bool TraceServer::MakeRoom(Connection& c, std::size_t growth, const Handlers& handlers) {
  for (;;) {
    std::size_t total = growth;
    Connection* greediest = &c;
    std::size_t most = c.reader.Held() + growth;
    for (const auto& other : connections_) {
      if (other->dropped) continue;
      total += other->reader.Held();
      if (other.get() != &c && other->reader.Held() > most) {
        greediest = other.get();
        most = other->reader.Held();
      }
    }
    if (total <= limits_.total) return true;
    handlers.problem("dropped sender " + greediest->Who() + ": its unfinished record held " +
                     std::to_string(most) + " bytes, and all senders' together would pass " +
                     std::to_string(limits_.total));
    greediest->dropped = true;
    greediest->reader.Abandon();
    greediest->Close();
    if (greediest == &c) return false;
  }
}

void TraceServer::Acknowledge(const Handlers& handlers) {
  if (acks_.empty()) return;
  if (handlers.flush) {
    try {
      handlers.flush();
    } catch (...) {
      acks_.clear();
      throw;
    }
  }
  for (const PendingAck& a : acks_) {
    // A connection closed in this round (dropped, or its sender left) gets none. 16 bytes fit
    // unless the sender stopped reading acknowledgements altogether: it is dropped then.
    if (a.connection->fd < 0) continue;
    if (send(a.connection->fd, &a.ack, sizeof a.ack, MSG_NOSIGNAL | MSG_DONTWAIT) !=
        static_cast<ssize_t>(sizeof a.ack)) {
      a.connection->dropped = true;
    }
  }
  acks_.clear();
}

}  // namespace zeb
