// The built package as a host sees it, loaded the platform's way: its entry points by name and
// the names it exports, demangled. One implementation each for POSIX and Win32.
#pragma once

#include <set>
#include <string>

namespace zeb::test {

class PackageImage {
 public:
  explicit PackageImage(const std::string& path);
  ~PackageImage();
  PackageImage(const PackageImage&) = delete;
  PackageImage& operator=(const PackageImage&) = delete;

  // Why the library did not load; empty when it did.
  const std::string& Error() const noexcept { return error_; }
  // The address of an exported name, or null.
  void* Symbol(const char* name) const;
  // Every name the library exports (defines and makes visible to its users), demangled.
  std::set<std::string> Exports() const;

 private:
  std::string path_;
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace zeb::test
