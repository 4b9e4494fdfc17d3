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
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

class ViewerProcess {
 public:
  // Serves "TFormTrace" in `runtimeDir`, appending its lines to `output`; its standard error goes
  // to `output` + ".err". `maxFiles` (when not 0) caps its descriptors.
  ViewerProcess(const std::string& runtimeDir, const std::string& output, rlim_t maxFiles = 0)
      : socket_(runtimeDir + "/TFormTrace"), errors_(output + ".err") {
    // Everything the child needs is made before fork: other threads may hold the allocator.
    const std::string env = "XDG_RUNTIME_DIR=" + runtimeDir;
    const std::string program = ZEB_TRACE_PROGRAM;
    std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>("--output"),
                               const_cast<char*>(output.c_str()), nullptr};
    char* envp[] = {const_cast<char*>(env.c_str()), nullptr};
    const int err = open(errors_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    pid_ = fork();
    if (pid_ == 0) {
      const rlimit limit{maxFiles, maxFiles};
      if (maxFiles != 0 && setrlimit(RLIMIT_NOFILE, &limit) != 0) _exit(126);
      dup2(null, 0);
      dup2(null, 1);
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
