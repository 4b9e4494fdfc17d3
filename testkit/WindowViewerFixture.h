// A real Win32 viewer (TraceWindowServer) serving on a thread of the test: the "TFormTrace"
// window that every sender of the session finds, this process's own TRACE included.
#pragma once

#include <condition_variable>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "viewer/TraceWindowServer.h"

namespace zeb {

class RunningViewer {
 public:
  // Raises ViewerError when the window cannot be made (another viewer's is there).
  RunningViewer() {
    thread_ = std::thread([this] {
      try {
        TraceWindowServer server;
        Ready(server.Window(), nullptr);
        ViewerHandlers h;
        h.message = [this](const TraceMessage& m) {
          const std::lock_guard lock(mutex_);
          messages_.push_back(m);
        };
        h.problem = [this](const std::string& p) {
          const std::lock_guard lock(mutex_);
          problems_.push_back(p);
        };
        server.Run(h);
      } catch (...) {
        Ready(nullptr, std::current_exception());
      }
    });
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return ready_; });
    if (failure_) {
      lock.unlock();
      thread_.join();
      std::rethrow_exception(failure_);
    }
  }
  ~RunningViewer() {
    PostMessageW(window_, WM_CLOSE, 0, 0);
    thread_.join();
  }
  RunningViewer(const RunningViewer&) = delete;
  RunningViewer& operator=(const RunningViewer&) = delete;

  std::vector<TraceMessage> Messages() {
    const std::lock_guard lock(mutex_);
    return messages_;
  }
  std::vector<std::string> Problems() {
    const std::lock_guard lock(mutex_);
    return problems_;
  }

 private:
  void Ready(HWND window, std::exception_ptr failure) {
    const std::lock_guard lock(mutex_);
    if (ready_) return;
    window_ = window;
    failure_ = failure;
    ready_ = true;
    changed_.notify_all();
  }

  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool ready_ = false;
  HWND window_ = nullptr;
  std::exception_ptr failure_;
  std::vector<TraceMessage> messages_;
  std::vector<std::string> problems_;
};

}  // namespace zeb
