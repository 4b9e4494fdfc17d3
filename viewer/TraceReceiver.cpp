#include "viewer/TraceReceiver.h"

#include <fcntl.h>
#include <unistd.h>

namespace zeb {

TraceReceiver::TraceReceiver(Options options, std::function<void()> ready)
    : options_(std::move(options)),
      ready_(std::move(ready)),
      server_(options_.socketPath),
      output_(false, options_.output, options_.outputName, false) {
  if (pipe2(stop_, O_CLOEXEC) != 0) throw ViewerError("pipe failed");
  thread_ = std::thread([this] { Serve(); });
}

TraceReceiver::~TraceReceiver() {
  Stop();
  close(stop_[0]);
  close(stop_[1]);
}

void TraceReceiver::Stop() {
  if (!thread_.joinable()) return;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = write(stop_[1], &byte, 1);
  thread_.join();
}

bool TraceReceiver::WasEmpty() const {
  return waiting_.messages.empty() && waiting_.problems.empty() && !waiting_.stopped &&
         waiting_.dropped == 0;
}

void TraceReceiver::Ready(std::unique_lock<std::mutex>& lock, bool wasEmpty) {
  lock.unlock();
  if (wasEmpty) ready_();
}

void TraceReceiver::Serve() {
  ViewerHandlers handlers;
  handlers.message = [this](const TraceMessage& m) {
    if (options_.output != nullptr) output_.Add(m);
    std::unique_lock lock(mutex_);
    const bool wasEmpty = WasEmpty();
    waiting_.messages.push_back(m);
    waitingBytes_ += m.text.size();
    while (waiting_.messages.size() > 1 && (waiting_.messages.size() > options_.limits.messages ||
                                            waitingBytes_ > options_.limits.bytes)) {
      waitingBytes_ -= waiting_.messages.front().text.size();
      waiting_.messages.pop_front();
      ++waiting_.dropped;
    }
    Ready(lock, wasEmpty);
  };
  handlers.flush = [this] { output_.Flush(); };
  handlers.problem = [this](const std::string& text) {
    std::unique_lock lock(mutex_);
    const bool wasEmpty = WasEmpty();
    waiting_.problems.push_back(text);
    Ready(lock, wasEmpty);
  };
  std::string why;
  try {
    server_.Run(stop_[0], handlers);
    return;
  } catch (const std::exception& e) {
    why = e.what();
  }
  std::unique_lock lock(mutex_);
  const bool wasEmpty = WasEmpty();
  waiting_.stopped = why;
  Ready(lock, wasEmpty);
}

TraceReceiver::Batch TraceReceiver::Take() {
  const std::lock_guard lock(mutex_);
  Batch batch = std::move(waiting_);
  waiting_ = Batch();
  waitingBytes_ = 0;
  return batch;
}

}  // namespace zeb
