#include "ide/app/CheckedOutput.h"

#include <cerrno>
#include <cstring>

namespace zeb {

void CheckedOutput::Failure() noexcept {
  if (error_ == 0) error_ = errno != 0 ? errno : EIO;
}

void CheckedOutput::Write(std::string_view bytes) noexcept {
  if (Failed() || bytes.empty()) return;
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), stream_) != bytes.size()) Failure();
}

void CheckedOutput::Line(std::string_view text) noexcept {
  Write(text);
  Write("\n");
}

void CheckedOutput::Flush() noexcept {
  if (Failed()) return;
  errno = 0;
  if (std::fflush(stream_) != 0 || std::ferror(stream_) != 0) Failure();
}

std::string CheckedOutput::Reason() const {
  return "cannot write " + name_ + ": " + std::strerror(error_);
}

void CheckedOutput::Check() const {
  if (Failed()) throw EOutputError(Reason());
}

}  // namespace zeb
