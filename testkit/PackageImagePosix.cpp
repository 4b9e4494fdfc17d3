#include <dlfcn.h>

#include <cstdio>
#include <memory>

#include "testkit/PackageImage.h"

namespace zeb::test {

PackageImage::PackageImage(const std::string& path)
    : path_(path), handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
  if (handle_ == nullptr) error_ = dlerror();
}

PackageImage::~PackageImage() {
  if (handle_ != nullptr) dlclose(handle_);
}

void* PackageImage::Symbol(const char* name) const {
  return handle_ == nullptr ? nullptr : dlsym(handle_, name);
}

// The dynamic symbols, demangled, as `nm -DC --defined-only` lists them.
std::set<std::string> PackageImage::Exports() const {
  const std::string command = "nm -DC --defined-only '" + path_ + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), &pclose);
  std::set<std::string> symbols;
  if (!pipe) return symbols;
  char line[4096];
  while (std::fgets(line, sizeof line, pipe.get()) != nullptr) {
    std::string s(line);
    if (!s.empty() && s.back() == '\n') s.pop_back();
    // "<address> <type> <name>"
    const auto first = s.find(' ');
    const auto second = s.find(' ', first + 1);
    if (second != std::string::npos) symbols.insert(s.substr(second + 1));
  }
  return symbols;
}

}  // namespace zeb::test
