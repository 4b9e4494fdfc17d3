// PackageLoader: the packages the IDE has loaded, where it finds them, and the one sequence that
// loads and unloads them.
//
// A packages folder holds package files: the regular files (or links to them) whose names end in
// ".so" (".bpl" on Windows) and do not start with "."; they load in the byte order of their names,
// so that what loads first does not depend on the file system. Anything else in the folder is left
// alone.
//
// Loading opens the library, reads its identity, checks that no package of that name is loaded
// and that this IDE provides every package it requires, then calls Initialize and Register
// through the add-in boundary. Unloading, of one package whose load failed or of all of them,
// is one sequence: each package (the last loaded first) is finalized, loses the keyboard bindings
// it owns and the components its code implements; when every package goes, so do the form
// library's remaining components (they may hold handlers in a package's code); then the
// libraries close.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ide/core/AddinBoundary.h"
#include "ide/core/KeyBindings.h"
#include "ide/core/Package.h"

namespace zeb {

// What else hears of packages loading and unloading: the objects handed to add-ins, which drop
// what a package left with them and report what it still holds.
class PackageEvents {
 public:
  // A package opened and checked, before its Initialize and Register.
  virtual void PackageLoading(const Package& package) = 0;
  // After its Finalize, once its keyboard bindings and components are gone, before its code is.
  virtual void PackageUnloading(const Package& package) = 0;

 protected:
  ~PackageEvents() = default;
};

class PackageLoader {
 public:
  PackageLoader(std::vector<std::string> providedPackages, AddinBoundary& boundary,
                KeyBindings& bindings);
  ~PackageLoader();
  PackageLoader(const PackageLoader&) = delete;
  PackageLoader& operator=(const PackageLoader&) = delete;

  // Loads the package at `path`, found as `foundIn` says (see Package::FoundIn). Raises
  // EPackageError with the reason when it cannot be loaded; whatever the package did before it
  // failed is undone and its library is closed.
  const Package& Load(const std::string& path, std::string foundIn);
  // The package files in `folder`, as paths in it, in load order. A folder that does not exist
  // holds none; one that cannot be read raises EPackageError with the reason.
  static std::vector<std::string> FindPackages(const std::string& folder);
  void UnloadAll();

  const std::vector<std::unique_ptr<Package>>& Packages() const noexcept { return packages_; }
  // The package a keyboard binding added now belongs to: the one whose Initialize or Register is
  // running, else the loaded package whose code implements `binding`; null for neither.
  const Package* OwnerOf(const void* binding) const noexcept;
  // Tells `events` (null: no one) of every load and unload from now on.
  void SetEvents(PackageEvents* events) noexcept { events_ = events; }

 private:
  // The unload sequence for `packages`, in the order given; `everything` when no package stays.
  void Unload(const std::vector<Package*>& packages, bool everything);

  std::vector<std::string> provided_;
  AddinBoundary* boundary_;
  KeyBindings* bindings_;
  std::vector<std::unique_ptr<Package>> packages_;
  const Package* registering_ = nullptr;
  PackageEvents* events_ = nullptr;
};

}  // namespace zeb
