// Ide: the IDE that front ends (zeb-host, the Qt window) drive, composed of the core's parts and
// the objects handed to add-ins.
//
//   Ide ide(observer, options);       // sets BorlandIDEServices, installs the dialog presenter
//   ide.LoadPackage(path);            // loads, checks, Initialize, Register
//   EditView& v = ide.Open("Unit1.pas");
//   v.Select({2, 1}, {5, 1});
//   ide.PressKey(0x0009);             // routed through the key map to the add-in
//   ide.UnloadPackages();             // or let the destructor do it
//
// It wires together the add-in host (AddinHost: packages, keyboard bindings and key map, the
// add-in boundary, the environment), the open modules and their views (ViewRegistry, the IDE's
// own editor) and the services object over them (ServicesObject), which it sets as the global
// BorlandIDEServices. There is one Ide in a process at a time.
//
// Failures of the IDE itself are exceptions of the runtime's Exception family
// (runtime/Exceptions.h), with a message written for the user: EInOutError for a file that
// cannot be read or written, EInvalidOperation for a request the IDE's state does not allow.
// LoadPackage reports its failure as a message and goes on, since a missing package is no reason
// to stop; every other call raises, and the front end that made the call tells the user.
// Exceptions that leave an add-in never reach the front end: the add-in boundary catches them
// (AddinBoundary; for a form's creation handler, the form library's exception handler, which the
// add-in host points to the same report).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "api/ComPtr.h"
#include "api/ToolsAPI.h"
#include "ide/core/AddinHost.h"
#include "ide/core/EditView.h"
#include "ide/core/IdeEnvironment.h"
#include "ide/core/IdeObserver.h"
#include "ide/core/KeyBindings.h"
#include "ide/core/KeyMap.h"
#include "ide/core/Module.h"
#include "ide/core/Package.h"
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
    std::vector<std::string> providedPackages = AddinHost::DefaultProvidedPackages();
    std::int32_t tabWidth = 8;
  };
  using PackageFolder = AddinHost::PackageFolder;

  Ide(IdeObserver& observer, Options options);
  explicit Ide(IdeObserver& observer) : Ide(observer, Options()) {}
  ~Ide();
  Ide(const Ide&) = delete;
  Ide& operator=(const Ide&) = delete;

  // ---- Packages (see AddinHost)
  bool LoadPackage(const std::string& path, std::string foundIn = "named with --package") {
    return host_.LoadPackage(path, std::move(foundIn));
  }
  std::vector<PackageFolder> PackageFolders() const { return host_.PackageFolders(); }
  std::size_t LoadPackagesFrom(const std::vector<PackageFolder>& folders) {
    return host_.LoadPackagesFrom(folders);
  }
  const std::vector<std::unique_ptr<Package>>& Packages() const noexcept {
    return host_.Packages();
  }
  void UnloadPackages() { host_.UnloadPackages(); }

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

  std::shared_ptr<EditView> TopView() const { return views_.Top(); }
  // The module of the top view.
  std::shared_ptr<Module> CurrentModule() const;
  const std::vector<std::shared_ptr<Module>>& Modules() const noexcept { return views_.Modules(); }
  // The open modules and views, for lookups that need no copies of their pointers.
  const ViewRegistry& Views() const noexcept { return views_; }
  std::shared_ptr<Module> ModuleOf(const Document& document) const {
    return views_.ModuleOf(document);
  }
  // The views of a document, in the order they were opened.
  std::vector<std::shared_ptr<EditView>> ViewsOf(const Document& document) const {
    return views_.ViewsOf(document);
  }
  // The module's view the user acted in last, or null.
  std::shared_ptr<EditView> LastViewOf(const Module& module) const {
    return views_.LastViewOf(module);
  }

  // ---- Keyboard (see AddinHost)
  std::int32_t AddKeyboardBinding(ComPtr<IOTAKeyboardBinding> binding) {
    return host_.AddKeyboardBinding(std::move(binding));
  }
  void RemoveKeyboardBinding(std::int32_t index) { host_.RemoveKeyboardBinding(index); }
  std::size_t KeyboardBindingCount() const noexcept { return host_.KeyboardBindingCount(); }
  void BuildKeyMap() { host_.BuildKeyMap(); }
  const KeyMap& Keys() const noexcept { return host_.Keys(); }
  // Presses a key in the top view (see KeyMap for the routing rule): routes it, and runs the
  // editor's own action when no procedure took it.
  KeyOutcome PressKey(TShortCut code);
  // Routes a key to the key procedures only. A front end whose editor has its own key handling
  // runs that instead of DefaultKeyAction when the outcome is PassedOn or NotBound.
  KeyOutcome RouteKey(TShortCut code) { return host_.RouteKey(code); }
  // The editor's own action for a key that no procedure took: Tab and Enter insert a tab or a
  // line break, Space, letters and digits (and keypad digits) without Ctrl or Alt insert their
  // character (a capital letter with Shift), at the cursor: the block is dropped, its text
  // stays. Every other key does nothing.
  void DefaultKeyAction(EditView& view, TShortCut code);

  // ---- The rest
  void Paint(EditView& view) { views_.Paint(view); }
  const IdeEnvironment& Environment() const noexcept { return host_.Environment(); }
  IdeObserver& Observer() const noexcept { return host_.Observer(); }

 private:
  static AddinHost::Options HostOptions(Options& options);
  void Watch(Module& module);

  Options options_;
  KeyObjects keyObjects_;
  ViewRegistry views_;
  AddinHost host_;
  ComPtr<ServicesObject> services_;
};

}  // namespace zeb
