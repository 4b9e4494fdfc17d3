// PackageLibrary: a package's shared library as this system loads it, the one place that knows
// the system's library loader. PackageLibraryPosix.cpp and PackageLibraryWin32.cpp implement it.
//
// Open refuses, before the loader sees it, a file that is missing, not a regular file, or cut
// short: a library whose headers promise more bytes than the file holds would have the loader map
// (or read) past its end. What the loader itself refuses is reported with its reason.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace zeb {

class PackageLibrary {
 public:
  using Proc = void (*)();

  ~PackageLibrary();
  PackageLibrary(const PackageLibrary&) = delete;
  PackageLibrary& operator=(const PackageLibrary&) = delete;

  // Loads the library at `path` (UTF-8). Raises EPackageError: "no such file", "not a file", "not
  // a loadable shared library (REASON)", or the system's reason for a file it cannot read.
  static std::unique_ptr<PackageLibrary> Open(const std::string& path);
  // Whether a folder's entry named `name` is a package file: it ends with FileSuffix() and does not
  // start with '.'.
  static bool IsPackageFileName(std::string_view name);
  // The ending of package files' names: ".so" on Linux, ".bpl" (a DLL) on Windows.
  static std::string_view FileSuffix();

  // The library's exported function `name`, or null when it has none or is closed.
  Proc Symbol(const char* name) const;
  // Whether `address` (code or data) lies in this library; false once it is closed.
  bool Contains(const void* address) const noexcept;
  // Unloads the library. Nothing of it may run afterwards.
  void Close() noexcept;

 private:
  PackageLibrary(void* handle, const void* base) : handle_(handle), base_(base) {}

  void* handle_;      // the loader's handle
  const void* base_;  // where the library is loaded
};

}  // namespace zeb
