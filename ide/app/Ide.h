// Ide: the IDE core that front ends (zeb-host, the Qt window) drive.
//
//   Ide ide(observer, options);       // sets BorlandIDEServices, installs the dialog presenter
//   ide.LoadPackage(path);            // loads, checks, Initialize, Register
//   EditView& v = ide.Open("Unit1.pas");
//   v.Select({2, 1}, {5, 1});
//   ide.PressKey(0x0009);             // routed through the key map to the add-in
//   ide.UnloadPackages();             // or let the destructor do it
//
// There is one Ide in a process at a time: it owns the global BorlandIDEServices and the
// Application's modal presenter and exception handler while it lives.
//
// It is a façade over three parts: the package loader (PackageLoader), the open modules and
// their views (ViewRegistry) and the keyboard bindings with their key map (KeyBindings).
//
// The add-in boundary: every call into an add-in (Initialize, Register, BindKeyboard, a key
// procedure, a form's creation handler) goes through AddinBoundary, which catches whatever the
// add-in raises and reports it to the observer's OnFault with the exception's class and message.
//
// Failures of the IDE itself are exceptions of the runtime's Exception family
// (runtime/Exceptions.h), with a message written for the user: EInOutError for a file that
// cannot be read or written, EInvalidOperation for a request the IDE's state does not allow,
// EPackageError for a package that cannot be loaded. LoadPackage reports its failure as a
// message and goes on, since a missing package is no reason to stop; every other call raises,
// and each front end catches at one place and tells the user.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "api/ComPtr.h"
#include "api/ToolsAPI.h"
#include "ide/core/AddinBoundary.h"
#include "ide/core/DialogPresenter.h"
#include "ide/core/EditView.h"
#include "ide/core/IdeEnvironment.h"
#include "ide/core/IdeObserver.h"
#include "ide/core/KeyBindings.h"
#include "ide/core/KeyMap.h"
#include "ide/core/Module.h"
#include "ide/core/Package.h"
#include "ide/core/PackageLoader.h"
#include "ide/core/ViewRegistry.h"
#include "ide/ota/KeyObjects.h"

namespace zeb {

class ServicesObject;

class Ide {
 public:
  struct Options {
    // Where the IDE's programs and packages are; by default the running program's folder.
    std::string binDirectory;
    // The packages this IDE provides to the packages it loads.
    std::vector<std::string> providedPackages = DefaultProvidedPackages();
    std::int32_t tabWidth = 8;
  };
  static std::vector<std::string> DefaultProvidedPackages();

  Ide(IdeObserver& observer, Options options);
  explicit Ide(IdeObserver& observer) : Ide(observer, Options()) {}
  ~Ide();
  Ide(const Ide&) = delete;
  Ide& operator=(const Ide&) = delete;

  // ---- Packages
  // Loads the package at `path`: opens it, reads its identity, checks its required packages,
  // calls Initialize and Register. `foundIn` says where it came from (see Package::FoundIn). On
  // any failure the observer hears "cannot load package PATH: REASON", the package is unloaded
  // and false comes back.
  bool LoadPackage(const std::string& path, std::string foundIn = "named with --package");

  struct PackageFolder {
    std::string kind;  // "system" or "user"
    std::string path;  // ends with the folder separator ('/', or '\\' on Windows)
  };
  // The folders a front end loads packages from unless told which to load: the system packages
  // folder, then the user's (see IdeEnvironment).
  std::vector<PackageFolder> PackageFolders() const;
  // Loads every package in `folders`, folder by folder (see PackageLoader for which files are
  // packages and their order). A package or folder that fails is reported to the observer and
  // skipped, as LoadPackage does; a package whose name is already loaded fails so. Returns how
  // many package files were found.
  std::size_t LoadPackagesFrom(const std::vector<PackageFolder>& folders);
  const std::vector<std::unique_ptr<Package>>& Packages() const noexcept {
    return loader_.Packages();
  }
  // Finalizes every package (last loaded first), frees the Application's components (each
  // package's own with it, then the rest), unloads the libraries.
  void UnloadPackages();

  // ---- Modules and views
  // Opens the module of `path` (or switches to it) and makes a view of that file the top view.
  // Raises EInOutError when a file cannot be read.
  EditView& Open(const std::string& path);
  // Makes a view of `path`, a file of an open module, the top view. Raises EInvalidOperation
  // when no open module has that file.
  EditView& ShowFile(const std::string& path);
  // Opens a second view of the top view's file, with its cursor and block, as the top view.
  // Raises EInvalidOperation without a top view.
  EditView& Split();
  // Makes `view` (one of the IDE's) the top view.
  void Activate(const std::shared_ptr<EditView>& view);
  // Closes `view`. A module none of whose files is shown any more is closed with it, unsaved
  // changes and all: a front end asks the user first.
  void CloseView(const std::shared_ptr<EditView>& view);

  std::shared_ptr<EditView> TopView() const;
  // The module of the top view.
  std::shared_ptr<Module> CurrentModule() const;
  const std::vector<std::shared_ptr<Module>>& Modules() const noexcept { return views_.Modules(); }
  // The open modules and views, for lookups that need no copies of their pointers.
  const ViewRegistry& Views() const noexcept { return views_; }
  std::shared_ptr<Module> ModuleOf(const Document& document) const;
  // The views of a document, in the order they were opened.
  std::vector<std::shared_ptr<EditView>> ViewsOf(const Document& document) const;
  // The module's view the user acted in last, or null.
  std::shared_ptr<EditView> LastViewOf(const Module& module) const;

  // ---- Keyboard
  std::int32_t AddKeyboardBinding(ComPtr<IOTAKeyboardBinding> binding);
  void RemoveKeyboardBinding(std::int32_t index);
  std::size_t KeyboardBindingCount() const noexcept { return bindings_.Count(); }
  // Asks every keyboard binding to bind its keys, in the order they were added. PressKey does
  // it by itself when bindings were added since.
  void BuildKeyMap();
  const KeyMap& Keys() const noexcept { return bindings_.Keys(); }
  // Presses a key in the top view (see KeyMap for the routing rule): routes it, and runs the
  // editor's own action when no procedure took it.
  KeyOutcome PressKey(TShortCut code);
  // Routes a key to the key procedures only. A front end whose editor has its own key handling
  // runs that instead of DefaultKeyAction when the outcome is PassedOn or NotBound.
  KeyOutcome RouteKey(TShortCut code);
  // The editor's own action for a key that no procedure took: Tab and Enter insert a tab or a
  // line break, Space, letters and digits (and keypad digits) without Ctrl or Alt insert their
  // character (a capital letter with Shift), at the cursor: the block is dropped, its text
  // stays. Every other key does nothing.
  void DefaultKeyAction(EditView& view, TShortCut code);

  // ---- Boundary and the rest
  // Runs `call` through the add-in boundary: an exception leaving it is reported to OnFault.
  // True when nothing was raised.
  bool CallAddin(const std::string& where, const std::function<void()>& call) {
    return boundary_.Call(where, call);
  }
  void Paint(EditView& view);
  const IdeEnvironment& Environment() const noexcept { return environment_; }
  IdeObserver& Observer() const noexcept { return *observer_; }

 private:
  void Watch(Module& module);

  IdeObserver* observer_;
  Options options_;
  IdeEnvironment environment_;
  DialogPresenter presenter_;
  AddinBoundary boundary_;
  ComPtr<ServicesObject> services_;
  KeyObjects keyObjects_;
  // Declared in this order so that the loader, which unloads packages, goes before the
  // bindings it removes packages' bindings from.
  KeyBindings bindings_;
  PackageLoader loader_;
  ViewRegistry views_;
};

}  // namespace zeb
