// AddinHost: what an IDE keeps for its add-ins, whatever editor they run in: the packages and
// their loader, the keyboard bindings with their key map, the add-in boundary, the form
// library's modal presenter and exception handling, and the environment the IDE reports.
//
// The IDE's composition (Ide) and the Geany bridge each own one, beside the editor they offer
// add-ins (EditorSeam) and the objects handed out over it. There is one AddinHost in a process
// at a time: it installs the Application's modal presenter and exception handler while it lives.
//
// A package that cannot be loaded is reported to the observer as "cannot load package PATH:
// REASON" and skipped; whatever an add-in raises is caught at the boundary and reported to
// OnFault.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "api/ComPtr.h"
#include "api/ToolsAPI.h"
#include "ide/core/AddinBoundary.h"
#include "ide/core/DialogPresenter.h"
#include "ide/core/IdeEnvironment.h"
#include "ide/core/IdeObserver.h"
#include "ide/core/KeyBindings.h"
#include "ide/core/KeyMap.h"
#include "ide/core/Package.h"
#include "ide/core/PackageLoader.h"

namespace zeb {

// What the objects handed to add-ins (ServicesObject) hear from the host: packages loading and
// unloading, and each key press routed to the key procedures, around which they keep what the
// procedures change in the text as one undo step.
class AddinHostEvents : public PackageEvents {
 public:
  virtual void KeyPressBegins() = 0;
  virtual void KeyPressEnds() noexcept = 0;

 protected:
  ~AddinHostEvents() = default;
};

class AddinHost {
 public:
  struct Options {
    // What the IDE reports about itself, its packages folders among it.
    IdeEnvironment environment;
    // The packages this IDE provides to the packages it loads.
    std::vector<std::string> providedPackages = DefaultProvidedPackages();
  };
  static std::vector<std::string> DefaultProvidedPackages();

  AddinHost(IdeObserver& observer, KeyBindingObjects& objects, Options options);
  ~AddinHost();
  AddinHost(const AddinHost&) = delete;
  AddinHost& operator=(const AddinHost&) = delete;

  // ---- Packages
  // Loads the package at `path` (see PackageLoader); `foundIn` says where it came from (see
  // Package::FoundIn). On failure the observer hears why, and false comes back.
  bool LoadPackage(const std::string& path, std::string foundIn = "named with --package");

  struct PackageFolder {
    std::string kind;  // "system" or "user"
    std::string path;  // ends with the folder separator ('/', or '\\' on Windows)
  };
  // The folders packages are loaded from unless the user names them: the system packages
  // folder, then the user's (see IdeEnvironment).
  std::vector<PackageFolder> PackageFolders() const;
  // Loads every package in `folders`, folder by folder (see PackageLoader for which files are
  // packages and their order). A package or folder that fails is reported and skipped; a
  // package whose name is already loaded fails so. Returns how many package files were found.
  std::size_t LoadPackagesFrom(const std::vector<PackageFolder>& folders);
  const std::vector<std::unique_ptr<Package>>& Packages() const noexcept {
    return loader_.Packages();
  }
  // Finalizes every package (last loaded first), frees the Application's components (each
  // package's own with it, then the rest), unloads the libraries.
  void UnloadPackages();

  // ---- Keyboard
  std::int32_t AddKeyboardBinding(ComPtr<IOTAKeyboardBinding> binding);
  void RemoveKeyboardBinding(std::int32_t index);
  std::size_t KeyboardBindingCount() const noexcept { return bindings_.Count(); }
  // Asks every keyboard binding to bind its keys, in the order they were added. RouteKey does
  // it by itself when bindings were added since.
  void BuildKeyMap() { bindings_.Build(); }
  const KeyMap& Keys() const noexcept { return bindings_.Keys(); }
  // Routes a key to the key procedures (see KeyMap for the rule), between KeyPressBegins and
  // KeyPressEnds. The editor runs its own action for the key when the outcome is PassedOn or
  // NotBound.
  KeyOutcome RouteKey(TShortCut code);

  const IdeEnvironment& Environment() const noexcept { return environment_; }
  IdeObserver& Observer() const noexcept { return *observer_; }
  AddinBoundary& Boundary() noexcept { return boundary_; }
  // The package an object added now belongs to (see PackageLoader::OwnerOf).
  const Package* OwnerOf(const void* object) const noexcept { return loader_.OwnerOf(object); }
  // Tells `events` (null: no one) of packages and key presses from now on.
  void SetEvents(AddinHostEvents* events) noexcept;

 private:
  IdeObserver* observer_;
  IdeEnvironment environment_;
  DialogPresenter presenter_;
  AddinBoundary boundary_;
  // Declared in this order so that the loader, which unloads packages, goes before the
  // bindings it removes packages' bindings from.
  KeyBindings bindings_;
  PackageLoader loader_;
  AddinHostEvents* events_ = nullptr;
};

}  // namespace zeb
