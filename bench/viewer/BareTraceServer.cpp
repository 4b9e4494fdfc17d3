// trace-bare-server: the reference the viewers are measured against, written for the benchmark
// alone. It serves the trace socket where this user's senders look for it (XDG_RUNTIME_DIR) and
// does the least a viewer can: it reads each record and answers it, nothing more (no checks, no
// bounds, no text kept). Like the viewers, it answers the records of a poll round together once
// it has read them all, so that the two differ only in what a viewer does with a message. On
// SIGTERM it prints how many records it answered and exits.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "trace/TraceWire.h"

namespace {

volatile std::sig_atomic_t stop = 0;

void OnSignal(int) {
  stop = 1;
}

struct Connection {
  int fd;
  std::vector<char> bytes;  // read, not yet a whole record
};

}  // namespace

int main() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr) return 2;
  const std::string path = std::string(runtime) + "/TFormTrace";
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  unlink(path.c_str());
  const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
  if (bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 64) != 0) {
    std::perror(path.c_str());
    return 1;
  }
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigaction(SIGTERM, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  std::vector<Connection> connections;
  std::vector<pollfd> fds;
  std::vector<char> buffer(1 << 16);
  struct Answer {
    int fd;
    zeb::TraceWireAck ack;
  };
  std::vector<Answer> answers;
  unsigned long long answered = 0;
  while (stop == 0) {
    fds.clear();
    fds.push_back({listener, POLLIN, 0});
    for (const Connection& c : connections)
      fds.push_back({c.fd, POLLIN, 0});
    if (poll(fds.data(), fds.size(), -1) < 0) continue;
    if (fds[0].revents != 0) {
      for (int fd; (fd = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK)) >= 0;)
        connections.push_back({fd, {}});
    }
    for (std::size_t i = 1; i < fds.size(); ++i) {
      if (fds[i].revents == 0) continue;
      Connection& c = connections[i - 1];
      const ssize_t n = recv(c.fd, buffer.data(), buffer.size(), 0);
      if (n <= 0) {
        close(c.fd);
        c.fd = -1;
        continue;
      }
      c.bytes.insert(c.bytes.end(), buffer.data(), buffer.data() + n);
      std::size_t used = 0;
      while (c.bytes.size() - used >= sizeof(zeb::TraceWireHeader)) {
        zeb::TraceWireHeader h{};
        std::memcpy(&h, c.bytes.data() + used, sizeof h);
        if (c.bytes.size() - used < sizeof h + h.length) break;
        used += sizeof h + h.length;
        answers.push_back({c.fd, {zeb::kTraceAckMagic, zeb::TraceAckStatus::Handled, h.sequence}});
      }
      c.bytes.erase(c.bytes.begin(), c.bytes.begin() + static_cast<std::ptrdiff_t>(used));
    }
    for (const Answer& a : answers)
      send(a.fd, &a.ack, sizeof a.ack, MSG_NOSIGNAL);
    answered += answers.size();
    answers.clear();
    std::erase_if(connections, [](const Connection& c) { return c.fd < 0; });
  }
  unlink(path.c_str());
  std::printf("%llu\n", answered);
  return 0;
}
