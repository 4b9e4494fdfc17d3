#include "bench/ide/BenchFiles.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

namespace zeb::bench {

std::string Source(std::int64_t lines) {
  std::string text;
  text.reserve(static_cast<std::size_t>(lines) * 41);
  for (std::int64_t i = 0; i < lines; ++i)
    text += i % 10 == 9 ? "\n" : "    Total := Total + Item[I] * Rate[I];\n";
  return text;
}

TempFile::TempFile(const std::string& name, const std::string& bytes) {
  char dir[] = "/tmp/zeb-bench-XXXXXX";
  if (::mkdtemp(dir) == nullptr) throw std::runtime_error("mkdtemp");
  dir_ = dir;
  path_ = dir_ + "/" + name;
  std::FILE* f = std::fopen(path_.c_str(), "wb");
  if (f == nullptr) throw std::runtime_error("cannot write " + path_);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

TempFile::~TempFile() {
  std::remove(path_.c_str());
  ::rmdir(dir_.c_str());
}

void QuietObserver::OnFault(const zeb::Fault& fault) {
  std::fprintf(stderr, "fault: %s: %s\n", fault.className.c_str(), fault.message.c_str());
}

void QuietObserver::OnMessage(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
}

}  // namespace zeb::bench
