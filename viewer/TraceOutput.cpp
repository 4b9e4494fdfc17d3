#include "viewer/TraceOutput.h"

#include <cerrno>
#include <cstring>

#include "viewer/Viewer.h"

namespace zeb {

namespace {

// Writes all of `bytes`; the reason when it cannot.
const char* WriteAll(std::FILE* stream, const std::string& bytes) {
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size() &&
      std::fflush(stream) == 0) {
    return nullptr;
  }
  return errno != 0 ? std::strerror(errno) : "write failed";
}

}  // namespace

TraceOutput::TraceOutput(bool toStdout, std::FILE* file, std::string fileName, bool verbose)
    : toStdout_(toStdout), file_(file), fileName_(std::move(fileName)), verbose_(verbose) {}

void TraceOutput::Add(const TraceMessage& m) {
  if (!toStdout_ && file_ == nullptr) return;
  // FormatTraceLine's line, appended in place.
  if (m.processName != name_ || visibleName_.empty()) {
    name_ = m.processName;
    visibleName_ = MakeVisible(name_);
  }
  AppendTraceLinePrefix(pending_, m.received, m.pid, visibleName_);
  if (verbose_) {
    pending_ += "cbData=" + std::to_string(m.cbData) + " dwData=" + std::to_string(m.dwData) + " ";
  }
  AppendVisible(pending_, m.text);
  pending_ += '\n';
}

void TraceOutput::Flush() {
  if (pending_.empty()) return;
  struct Emptied {
    std::string& kept;
    ~Emptied() { kept.clear(); }  // keeps its room for the next round
  } emptied{pending_};
  const std::string& bytes = pending_;
  // Standard output first: the log holds what was printed, and nothing that was not.
  if (toStdout_) {
    if (const char* why = WriteAll(stdout, bytes)) {
      toStdout_ = false;
      throw ViewerError(std::string("cannot write standard output: ") + why);
    }
  }
  if (file_ != nullptr) {
    if (const char* why = WriteAll(file_, bytes)) {
      file_ = nullptr;
      throw ViewerError("cannot write " + fileName_ + ": " + why);
    }
  }
}

}  // namespace zeb
