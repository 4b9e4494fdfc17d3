// A real viewer (TraceServer) serving on a thread, on a socket in a private temporary directory.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "viewer/TraceServer.h"

namespace zeb {

class TempDir {
 public:
  TempDir() {
    char name[] = "/tmp/zeb-trace-test-XXXXXX";
    path_ = mkdtemp(name);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

class RunningViewer {
 public:
  explicit RunningViewer(const std::string& socketPath,
                         TraceServer::Limits limits = TraceServer::Limits())
      : server_(socketPath, limits) {
    if (pipe(stop_) != 0) throw std::runtime_error("pipe");
    TraceServer::Handlers h;
    h.message = [this](const TraceMessage& m) {
      std::unique_lock lock(mutex_);
      messages_.push_back(m);
      // A held viewer stops inside the message it was handling, as a stopped process would.
      changed_.wait(lock, [this] { return !held_; });
    };
    h.problem = [this](const std::string& p) {
      const std::lock_guard lock(mutex_);
      problems_.push_back(p);
      changed_.notify_all();
    };
    thread_ = std::thread([this, h] { server_.Run(stop_[0], h); });
  }
  ~RunningViewer() { Stop(); }
  RunningViewer(const RunningViewer&) = delete;
  RunningViewer& operator=(const RunningViewer&) = delete;

  // Makes the viewer stop serving after the next message it takes, until Resume.
  void Hold() {
    const std::lock_guard lock(mutex_);
    held_ = true;
  }
  void Resume() {
    const std::lock_guard lock(mutex_);
    held_ = false;
    changed_.notify_all();
  }

  void Stop() {
    if (!thread_.joinable()) return;
    Resume();
    const char byte = 1;
    [[maybe_unused]] const auto n = write(stop_[1], &byte, 1);
    thread_.join();
    close(stop_[0]);
    close(stop_[1]);
  }

  std::vector<TraceMessage> Messages() {
    const std::lock_guard lock(mutex_);
    return messages_;
  }
  std::vector<std::string> Problems() {
    const std::lock_guard lock(mutex_);
    return problems_;
  }
  // Waits for the viewer to report `count` problems (it reports a refused peer on its own
  // thread, with nothing for the sender to wait on).
  std::vector<std::string> WaitForProblems(std::size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(10), [&] { return problems_.size() >= count; });
    return problems_;
  }

 private:
  TraceServer server_;
  int stop_[2] = {-1, -1};
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<TraceMessage> messages_;
  std::vector<std::string> problems_;
  bool held_ = false;
};

}  // namespace zeb
