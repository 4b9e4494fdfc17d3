#include "trace/TraceTransportPosix.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "trace/TraceSocketPath.h"

namespace {

using Clock = std::chrono::steady_clock;

int FdOf(TraceHandle h) {
  return static_cast<int>(h - 1);
}
TraceHandle HandleOf(int fd) {
  return static_cast<TraceHandle>(fd) + 1;
}

// Waits until fd is ready for `events` or the deadline passes.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd p{fd, events, 0};
    const int n = poll(&p, 1, static_cast<int>(left));
    if (n > 0) return true;
    if (n < 0 && errno != EINTR) return false;
  }
}

}  // namespace

PosixTraceTransport::PosixTraceTransport(std::chrono::milliseconds timeout,
                                         std::optional<std::string> path)
    : timeout_(timeout), path_(std::move(path)) {}

TraceHandle PosixTraceTransport::FindViewer() noexcept {
  try {
    const std::optional<std::string> path = path_ ? path_ : TraceSocketPath(false);
    if (!path) return 0;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path->size() >= sizeof address.sun_path) return 0;
    std::memcpy(address.sun_path, path->c_str(), path->size() + 1);

    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    // Bounds connect() too, should the viewer's backlog be full.
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(timeout_).count();
    timeval tv{static_cast<time_t>(us / 1000000), static_cast<suseconds_t>(us % 1000000)};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
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
    const std::unique_lock lock(mutex_, Clock::now() + timeout_);
    if (!lock.owns_lock()) {
      close(fd);
      return 0;
    }
    try {
      open_.push_back(fd);
    } catch (...) {
      close(fd);
      return 0;
    }
    return HandleOf(fd);
  } catch (...) {
    return 0;
  }
}

void PosixTraceTransport::Send(TraceHandle viewer, const TraceRecord& record) noexcept {
  // A viewer refuses a record over its bound and drops the connection: such a message alone is
  // lost rather than every later one.
  if (record.cbData > kTraceMaxRecord) return;
  // The bound covers the wait for other threads' messages too, so that a hung viewer costs no
  // thread more than the timeout.
  const auto deadline = Clock::now() + timeout_;
  const std::unique_lock lock(mutex_, deadline);
  if (!lock.owns_lock()) return;
  const int fd = FdOf(viewer);
  if (std::find(open_.begin(), open_.end(), fd) == open_.end()) return;  // released
  const std::uint64_t sequence = ++sequence_;
  const TraceWireHeader header{kTraceRecordMagic, record.cbData, sequence,
                               record.dwData,     record.cbData, 0};

  iovec parts[2] = {{const_cast<TraceWireHeader*>(&header), sizeof header},
                    {const_cast<void*>(record.lpData), record.cbData}};
  const std::size_t total = sizeof header + record.cbData;
  std::size_t sent = 0;
  while (sent < total) {
    if (!WaitFor(fd, POLLOUT, deadline)) break;
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
    const ssize_t n = sendmsg(fd, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      break;
    }
    sent += static_cast<std::size_t>(n);
  }
  if (sent != total) {
    // Part of a record on the stream would be read as the start of the next one: the
    // connection cannot carry anything more.
    if (sent > 0) shutdown(fd, SHUT_RDWR);
    return;
  }
  ReadAck(fd, sequence, deadline);
}

bool PosixTraceTransport::ReadAck(int fd, std::uint64_t sequence,
                                  Clock::time_point deadline) noexcept {
  auto* bytes = reinterpret_cast<char*>(&ack_);
  for (;;) {
    if (!WaitFor(fd, POLLIN, deadline)) return false;
    const ssize_t n = recv(fd, bytes + ackBytes_, sizeof ack_ - ackBytes_, MSG_DONTWAIT);
    if (n == 0) return false;  // the viewer closed
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return false;
    }
    ackBytes_ += static_cast<std::size_t>(n);
    if (ackBytes_ < sizeof ack_) continue;
    ackBytes_ = 0;
    if (ack_.magic != kTraceAckMagic) {
      shutdown(fd, SHUT_RDWR);
      return false;
    }
    // An older acknowledgement, late after a timeout, is skipped.
    if (ack_.sequence == sequence) return true;
  }
}

void PosixTraceTransport::Release(TraceHandle viewer) noexcept {
  if (viewer == 0) return;
  // Waits for a send in progress (bounded by its timeout) rather than closing under it.
  const std::lock_guard lock(mutex_);
  const auto it = std::find(open_.begin(), open_.end(), FdOf(viewer));
  if (it == open_.end()) return;
  open_.erase(it);
  if (open_.empty()) std::vector<int>().swap(open_);  // no memory kept past the last one
  close(FdOf(viewer));
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
