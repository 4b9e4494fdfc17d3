#include "trace/TraceTransportPosix.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "trace/TraceSocketPath.h"

namespace zeb {

struct PosixTraceTransport::Connection {
  TraceHandle handle = 0;
  int fd = -1;
  bool inUse = false;     // a send has it
  bool released = false;  // let go while in use: the send closes it
  // An acknowledgement read only in part when a wait timed out; completed by the next send.
  TraceWireAck ack{};
  std::size_t ackBytes = 0;
};

namespace {

using Clock = std::chrono::steady_clock;

enum class Wait { Ready, TimedOut, Failed };

// Waits until fd is ready for `events` or the deadline passes.
Wait WaitFor(int fd, short events, TraceDeadline deadline) {
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return Wait::TimedOut;
    pollfd p{fd, events, 0};
    const int n = poll(&p, 1, static_cast<int>(std::min<long long>(left, 60000)));
    if (n > 0) return Wait::Ready;
    if (n < 0 && errno != EINTR) return Wait::Failed;
  }
}

bool PeerGone(int error) {
  return error == EPIPE || error == ECONNRESET || error == ENOTCONN;
}

}  // namespace

PosixTraceTransport::PosixTraceTransport(std::chrono::milliseconds timeout,
                                         std::optional<std::string> path)
    : timeout_(timeout),
      quickWait_(std::max<std::chrono::microseconds>(timeout - std::chrono::milliseconds(1),
                                                     std::chrono::microseconds(1))),
      path_(std::move(path)) {}

PosixTraceTransport::~PosixTraceTransport() {
  for (const auto& c : open_)
    close(c->fd);
}

TraceHandle PosixTraceTransport::FindViewer(TraceDeadline deadline) noexcept {
  try {
    // No socket at the path, no viewer: the common case when none runs, and one stat.
    char quick[sizeof(sockaddr_un::sun_path)];
    const char* probe = quick;
    if (path_) {
      probe = path_->c_str();
    } else if (!UncheckedTraceSocketPath(quick, sizeof quick)) {
      return 0;
    }
    struct stat st {};
    if (stat(probe, &st) != 0 || !S_ISSOCK(st.st_mode)) return 0;

    const std::optional<std::string> path = path_ ? path_ : LocateTraceSocket(false).path;
    if (!path) return 0;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path->size() >= sizeof address.sun_path) return 0;
    std::memcpy(address.sun_path, path->c_str(), path->size() + 1);

    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    // Bounds connect() too, should the viewer's backlog be full.
    const auto us =
        std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now()).count();
    if (us <= 0) {
      close(fd);
      return 0;
    }
    timeval tv{static_cast<time_t>(us / 1000000), static_cast<suseconds_t>(us % 1000000)};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    const auto wait = quickWait_.count();
    const timeval rtv{static_cast<time_t>(wait / 1000000),
                      static_cast<suseconds_t>(wait % 1000000)};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &rtv, sizeof rtv);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      close(fd);
      return 0;
    }
    // Text goes only to a viewer of the same user.
    ucred peer{};
    socklen_t length = sizeof peer;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != geteuid()) {
      close(fd);
      return 0;
    }
    try {
      auto c = std::make_unique<Connection>();
      c->fd = fd;
      const std::lock_guard lock(table_);
      c->handle = ++lastHandle_;
      open_.push_back(std::move(c));
      return lastHandle_;
    } catch (...) {
      close(fd);
      return 0;
    }
  } catch (...) {
    return 0;
  }
}

PosixTraceTransport::Connection* PosixTraceTransport::Find(TraceHandle viewer) {
  for (const auto& c : open_) {
    if (c->handle == viewer) return c.get();
  }
  return nullptr;
}

void PosixTraceTransport::Drop(TraceHandle viewer) {
  const auto it =
      std::find_if(open_.begin(), open_.end(), [&](const auto& c) { return c->handle == viewer; });
  if (it == open_.end()) return;
  close((*it)->fd);
  open_.erase(it);
  if (open_.empty()) std::vector<std::unique_ptr<Connection>>().swap(open_);  // no memory kept
}

TraceSendResult PosixTraceTransport::Send(TraceHandle viewer, const TraceRecord& record,
                                          TraceDeadline deadline) noexcept {
  // A viewer refuses a record over its bound and drops the connection: such a message alone is
  // lost rather than every later one.
  if (record.cbData > kTraceMaxRecord) return TraceSendResult::Refused;
  // The wait for other threads' messages counts against the deadline too, so that a hung viewer
  // costs no thread more than the timeout.
  const std::unique_lock sending(sending_, deadline);
  if (!sending.owns_lock()) return TraceSendResult::TimedOut;
  Connection* c = nullptr;
  {
    const std::lock_guard lock(table_);
    c = Find(viewer);
    if (c == nullptr || c->released) {
      // Found dead by another thread's send: nothing of this record went anywhere, and the
      // caller may look for the viewer again. Released: it reaches nothing.
      return viewer == lastDead_ ? TraceSendResult::Gone : TraceSendResult::Broken;
    }
    c->inUse = true;
  }
  const TraceSendResult result = Exchange(*c, record, deadline);
  const bool dead = result == TraceSendResult::Broken || result == TraceSendResult::Gone;
  const std::lock_guard lock(table_);
  c->inUse = false;
  if (dead) lastDead_ = viewer;
  if (dead || c->released) Drop(viewer);
  return result;
}

TraceSendResult PosixTraceTransport::Exchange(Connection& c, const TraceRecord& record,
                                              TraceDeadline deadline) {
  const std::uint64_t sequence = ++sequence_;
  const TraceWireHeader header{kTraceRecordMagic, record.cbData, sequence,
                               record.dwData,     record.cbData, 0};
  iovec parts[2] = {{const_cast<TraceWireHeader*>(&header), sizeof header},
                    {const_cast<void*>(record.lpData), record.cbData}};
  const std::size_t total = sizeof header + record.cbData;
  std::size_t sent = 0;
  // Part of a record on the stream would be read as the start of the next one: once any of it
  // is sent, a failure leaves the connection unable to carry anything more.
  const auto failed = [&](TraceSendResult unsent) {
    return sent > 0 ? TraceSendResult::Broken : unsent;
  };
  // Each step tries first and waits only when the socket asks it to: most records fit at once.
  while (sent < total) {
    iovec rest[2];
    int count = 0;
    std::size_t skip = sent;
    for (const iovec& part : parts) {
      if (skip >= part.iov_len) {
        skip -= part.iov_len;
        continue;
      }
      rest[count++] = {static_cast<char*>(part.iov_base) + skip, part.iov_len - skip};
      skip = 0;
    }
    msghdr message{};
    message.msg_iov = rest;
    message.msg_iovlen = static_cast<std::size_t>(count);
    const ssize_t n = sendmsg(c.fd, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n >= 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN) {
      return failed(PeerGone(errno) ? TraceSendResult::Gone : TraceSendResult::Broken);
    }
    const Wait w = WaitFor(c.fd, POLLOUT, deadline);
    if (w == Wait::TimedOut) return failed(TraceSendResult::TimedOut);
    if (w == Wait::Failed) return TraceSendResult::Broken;
  }

  auto* bytes = reinterpret_cast<char*>(&c.ack);
  for (;;) {
    ssize_t n = 0;
    if (deadline - Clock::now() >= quickWait_) {
      // A blocking read bounded by the socket's own timeout (quickWait_, no later than the
      // deadline): the common case costs one call rather than a poll and a read.
      n = recv(c.fd, bytes + c.ackBytes, sizeof c.ack - c.ackBytes, 0);
    } else {
      const Wait w = WaitFor(c.fd, POLLIN, deadline);
      if (w == Wait::TimedOut) return TraceSendResult::TimedOut;  // the stream is still whole
      if (w == Wait::Failed) return TraceSendResult::Broken;
      n = recv(c.fd, bytes + c.ackBytes, sizeof c.ack - c.ackBytes, MSG_DONTWAIT);
    }
    if (n == 0) return TraceSendResult::Broken;  // the viewer closed: handled or not, unknown
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;  // the deadline decides
      return TraceSendResult::Broken;
    }
    c.ackBytes += static_cast<std::size_t>(n);
    if (c.ackBytes < sizeof c.ack) continue;
    c.ackBytes = 0;
    if (c.ack.magic != kTraceAckMagic) return TraceSendResult::Broken;
    // An older acknowledgement, late after a timeout, is skipped.
    if (c.ack.sequence == sequence) {
      return c.ack.status == TraceAckStatus::Handled ? TraceSendResult::Delivered
                                                     : TraceSendResult::Refused;
    }
  }
}

void PosixTraceTransport::Release(TraceHandle viewer) noexcept {
  if (viewer == 0) return;
  const std::lock_guard lock(table_);
  Connection* c = Find(viewer);
  if (c == nullptr) return;
  if (c->inUse) {
    c->released = true;  // closed by its send, once that ends
  } else {
    Drop(viewer);
  }
}

int PosixTraceTransport::DescriptorOf(TraceHandle viewer) {
  const std::lock_guard lock(table_);
  const Connection* c = Find(viewer);
  return c != nullptr ? c->fd : -1;
}

ITraceTransport& PlatformTraceTransport() {
  // Never destroyed, as TRACE may run from other static destructors; and kept in the module's
  // own storage rather than on the heap, so that nothing of it outlives the module once it is
  // unloaded (its connection has been released by then, see FinalizeuTrace).
  alignas(PosixTraceTransport) static unsigned char storage[sizeof(PosixTraceTransport)];
  static auto* transport = ::new (static_cast<void*>(storage)) PosixTraceTransport();
  return *transport;
}

int TraceGetLastError() noexcept {
  return errno;
}

void TraceSetLastError(int value) noexcept {
  errno = value;
}

std::uintptr_t TraceProcessId() noexcept {
  return static_cast<std::uintptr_t>(getpid());
}

}  // namespace zeb
