// The zeb-trace program run as a viewer in a process of its own (ZEB_TRACE_PROGRAM), so that a
// test can stop, continue and kill it, or start it short of file descriptors.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

class ViewerProcess {
 public:
  // How the viewer is started: its arguments after the program's name, where its standard output
  // goes (-1: /dev/null), a cap on its descriptors (0: none); its standard error goes to `errors`.
  struct Options {
    std::vector<std::string> args;
    int stdoutFd = -1;
    rlim_t maxFiles = 0;
    std::string errors;
  };

  // Serves "TFormTrace" in `runtimeDir`, appending its lines to `output`; its standard error goes
  // to `output` + ".err". `maxFiles` (when not 0) caps its descriptors.
  ViewerProcess(const std::string& runtimeDir, const std::string& output, rlim_t maxFiles = 0)
      : ViewerProcess(runtimeDir, Options{{"--output", output}, -1, maxFiles, output + ".err"}) {}

  ViewerProcess(const std::string& runtimeDir, const Options& options)
      : socket_(runtimeDir + "/TFormTrace"), errors_(options.errors) {
    // Everything the child needs is made before fork: other threads may hold the allocator.
    const std::string env = "XDG_RUNTIME_DIR=" + runtimeDir;
    const std::string program = ZEB_TRACE_PROGRAM;
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const std::string& arg : options.args)
      argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    char* envp[] = {const_cast<char*>(env.c_str()), nullptr};
    const int err = open(errors_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    const int out = options.stdoutFd >= 0 ? options.stdoutFd : null;
    const rlim_t maxFiles = options.maxFiles;
    pid_ = fork();
    if (pid_ == 0) {
      const rlimit limit{maxFiles, maxFiles};
      if (maxFiles != 0 && setrlimit(RLIMIT_NOFILE, &limit) != 0) _exit(126);
      dup2(null, 0);
      dup2(out, 1);
      dup2(err, 2);
      execve(program.c_str(), argv.data(), envp);
      _exit(127);
    }
    close(err);
    close(null);
    if (pid_ < 0) throw std::runtime_error("fork failed");
    WaitUntilListening();
  }
  ~ViewerProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  ViewerProcess(const ViewerProcess&) = delete;
  ViewerProcess& operator=(const ViewerProcess&) = delete;

  pid_t Pid() const { return pid_; }
  void Signal(int signal) const { kill(pid_, signal); }
  bool Running() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }

  // Ends it the way it is meant to be ended (Ctrl+C); its exit status, -1 when a signal ended it.
  int Interrupt() {
    kill(pid_, SIGINT);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // Its exit status once it has ended by itself within `limit` (-1 when a signal ended it), or
  // nullopt while it still runs.
  std::optional<int> WaitForExit(std::chrono::milliseconds limit) {
    for (auto waited = std::chrono::milliseconds(0); waited <= limit;
         waited += std::chrono::milliseconds(10)) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::nullopt;
  }
  const std::string& SocketPath() const { return socket_; }

  void Kill() {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  std::string Errors() const {
    std::ifstream in(errors_);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // A connection to the viewer (-1 when it refuses one).
  int Connect() const {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::memcpy(a.sun_path, socket_.c_str(), socket_.size() + 1);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
      close(fd);
      return -1;
    }
    return fd;
  }

 private:
  // A socket left by a viewer killed before this one refuses connections until this one binds.
  void WaitUntilListening() const {
    for (int i = 0; i < 1000; ++i) {
      const int fd = Connect();
      if (fd >= 0) {
        close(fd);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    throw std::runtime_error("the viewer did not start: " + Errors());
  }

  std::string socket_;
  std::string errors_;
  pid_t pid_ = -1;
};
