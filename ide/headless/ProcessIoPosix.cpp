#include <unistd.h>

#include "ide/headless/ProcessIo.h"

namespace zeb {

void UseBinaryStandardStreams() {}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

bool StandardInputIsTerminal() {
  return ::isatty(STDIN_FILENO) != 0;
}

std::FILE* OpenForReading(const std::string& path) {
  return std::fopen(path.c_str(), "rb");
}

}  // namespace zeb
