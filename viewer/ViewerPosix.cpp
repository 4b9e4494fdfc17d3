// The viewer on POSIX: the "TFormTrace" socket in the user's runtime directory, served until
// SIGINT or SIGTERM.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <thread>

#include "trace/TraceSocketPath.h"
#include "viewer/TraceServer.h"
#include "viewer/Viewer.h"

namespace zeb {

namespace {

int stopPipe[2] = {-1, -1};

void OnSignal(int) {
  const char byte = 1;
  // Nothing to do if it fails: the pipe already holds a byte.
  [[maybe_unused]] const ssize_t n = write(stopPipe[1], &byte, 1);
}

// Waits for poll, through signals.
int PollThrough(pollfd* fds, nfds_t count, int timeout) {
  int n = 0;
  while ((n = poll(fds, count, timeout)) < 0 && errno == EINTR) {
  }
  return n;
}

// Sees that a stop is obeyed within a second whatever the serving thread is doing: once one is
// asked for, the server has half a second to return; busy past that (matching a long message,
// writing to an output nobody reads), the process ends here, removing the socket first. The
// message in hand is then not acknowledged, as when the viewer is killed.
class StopWatch {
 public:
  explicit StopWatch(std::string socketPath) : socketPath_(std::move(socketPath)) {
    if (pipe2(done_, O_CLOEXEC) != 0) throw ViewerError("pipe failed");
    thread_ = std::thread([this] { Watch(); });
  }
  ~StopWatch() {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(done_[1], &byte, 1);
    thread_.join();
    close(done_[0]);
    close(done_[1]);
  }
  StopWatch(const StopWatch&) = delete;
  StopWatch& operator=(const StopWatch&) = delete;

 private:
  void Watch() const {
    pollfd fds[2] = {{stopPipe[0], POLLIN, 0}, {done_[0], POLLIN, 0}};
    PollThrough(fds, 2, -1);
    if (fds[1].revents != 0) return;
    if (PollThrough(&fds[1], 1, 500) > 0) return;
    unlink(socketPath_.c_str());
    constexpr char kStopped[] = "zeb-trace: stopped\n";
    [[maybe_unused]] const ssize_t n = write(STDERR_FILENO, kStopped, sizeof kStopped - 1);
    _exit(0);
  }

  std::string socketPath_;
  int done_[2] = {-1, -1};
  std::thread thread_;
};

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void UseBinaryStandardStreams() {}

std::FILE* OpenTraceLog(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  std::FILE* file = fdopen(fd, "ab");
  if (file == nullptr) close(fd);
  return file;
}

void ServeAsViewer(const ViewerHandlers& handlers,
                   const std::function<void(const std::string&)>& listening) {
  const TraceSocketLocation location = LocateTraceSocket(true);
  if (!location.path) throw ViewerError("no safe runtime directory: " + location.problem);
  if (stopPipe[0] < 0 && pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw ViewerError("pipe failed");
  }
  struct sigaction action {};
  action.sa_handler = OnSignal;
  // Calls under way go on (a write of the output is not cut short): the stop pipe, and the
  // watch below, see to the stop.
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  TraceServer server(*location.path);
  const StopWatch watch(server.SocketPath());
  listening(server.SocketPath());
  server.Run(stopPipe[0], handlers);
}

}  // namespace zeb
