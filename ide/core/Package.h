// Package: a package's shared library, opened and identified, and its entry points.
//
// Open only opens and reads the identity; the package loader decides what to call and when (see
// PackageLoader). The identity is copied out of the library, so it stays readable after the
// library is closed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/Exceptions.h"

namespace zeb {

class PackageLibrary;

// A package that cannot be loaded. The message is the reason, without the path.
class EPackageError final : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EPackageError"; }
};

// One labelled line of a package's identity, as front ends show it.
struct IdentityRow {
  std::string label;
  std::string value;
};

struct PackageIdentity {
  std::string name;
  std::string description;
  bool designOnly = false;
  std::vector<std::string> requiredPackages;
  std::vector<std::string> containedUnits;
  std::string fileVersion;     // "1.0.0.0"
  std::string productVersion;  // "1.0.0.0"
  std::uint16_t languageId = 0;
  std::uint16_t codePage = 0;
  std::uint32_t interfaceVersion = 0;  // of the interfaces it was built against
  std::string stdlibTag;               // of its C++ ABI and standard library (api/StdlibTag.h)
};

class Package {
 public:
  using EntryPoint = void (*)();

  ~Package();
  Package(const Package&) = delete;
  Package& operator=(const Package&) = delete;

  // Opens the library at `path` and reads its identity. `foundIn` says where the IDE found it
  // ("system packages folder /usr/lib/zeb-ide/packages/", "named with --package"). Raises
  // EPackageError when the file is missing or is not a package.
  static std::unique_ptr<Package> Open(const std::string& path, std::string foundIn);

  const std::string& Path() const noexcept { return path_; }
  const std::string& FoundIn() const noexcept { return foundIn_; }
  const PackageIdentity& Identity() const noexcept { return identity_; }
  // The identity beneath its heading (the name and the description): where it was found, the
  // file, whether it is design-only, the versions, the language, the interface version and the
  // standard library tag, the required packages and the contained units.
  std::vector<IdentityRow> IdentityRows() const;
  // An entry point by name, or null when the library has none.
  EntryPoint Entry(const char* name) const;
  // Whether `address` (code or data) lies in this library; false once it is closed.
  bool Contains(const void* address) const noexcept;
  // Whether the polymorphic object at `object` is of a class whose virtual table this library
  // holds, i.e. whether its virtual functions are this library's code.
  bool Implements(const void* object) const noexcept;
  // Unloads the library. Nothing of it may run afterwards.
  void Close() noexcept;

 private:
  Package(std::string path, std::string foundIn, std::unique_ptr<PackageLibrary> library);

  std::string path_;
  std::string foundIn_;
  std::unique_ptr<PackageLibrary> library_;
  PackageIdentity identity_;
};

}  // namespace zeb
