// The viewer on POSIX: the "TFormTrace" socket in the user's runtime directory, served until
// SIGINT or SIGTERM.
#include <fcntl.h>
#include <unistd.h>

#include <csignal>

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
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  TraceServer server(*location.path);
  listening(server.SocketPath());
  server.Run(stopPipe[0], handlers);
}

}  // namespace zeb
