#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "ide/headless/ProcessIo.h"
#include "runtime/Exceptions.h"

namespace zeb {

namespace {
[[noreturn]] void CannotRead(const std::string& path, const std::string& reason) {
  throw EInOutError("cannot read script " + path + ": " + reason);
}
}  // namespace

void UseBinaryStandardStreams() {}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

bool StandardInputIsTerminal() {
  return ::isatty(STDIN_FILENO) != 0;
}

std::FILE* OpenScript(const std::string& path) {
  // Not blocking, so that a FIFO is refused instead of waiting for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) CannotRead(path, std::strerror(errno));
  struct stat st {};
  const int error = ::fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
  if (error != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    CannotRead(path, error != 0 ? std::strerror(error) : "not a regular file");
  }
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) {
    const int openError = errno;
    ::close(fd);
    CannotRead(path, std::strerror(openError));
  }
  return file;
}

}  // namespace zeb
