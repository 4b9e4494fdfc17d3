// KeyBindings: the keyboard bindings add-ins handed the IDE, and the key map built from them.
//
// Bindings are kept in the order they were added, each with the package that must not unload
// while it is kept. The key map is built from them lazily: adding or removing a binding marks it
// stale, and the next key press (or Build) asks every binding to bind its keys again, in order.
// A removed binding's keys go at once, since its handlers hold code that may be about to unload.
//
// A key sequence is held by the package whose binding bound it first. Another package's binding
// that binds the same sequence is still added, after it (the key reaches it when the holder's
// procedure passes it on), but its AddKeyBinding answers false and the author is warned once,
// naming both packages. A fault in a key procedure is reported with the key, the package and the
// binding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "api/ComPtr.h"
#include "api/KeyTypes.h"
#include "api/ToolsAPI.h"
#include "ide/core/AddinBoundary.h"
#include "ide/core/KeyMap.h"

namespace zeb {

class KeyBindings;
class Package;

// The interface objects that key bindings hand to add-ins, made by the layer that makes every
// object handed to add-ins: the binding services a keyboard binding binds its keys with, and the
// key context of a press.
class KeyBindingObjects {
 public:
  // Services that add the keys a binding binds to `bindings` (AddHandler), as binding
  // `bindingIndex`'s, until Close.
  virtual ComPtr<IOTAKeyBindingServices> OpenBindingServices(
      KeyBindings& bindings, std::int32_t bindingIndex,
      const ComPtr<IOTAKeyboardBinding>& binding) = 0;
  // Ends what OpenBindingServices handed out: services a binding kept accept nothing more.
  virtual void CloseBindingServices(IOTAKeyBindingServices& services) noexcept = 0;
  // The key context handed to the procedures of one press.
  virtual ComPtr<IOTAKeyContext> KeyContext() = 0;

 protected:
  ~KeyBindingObjects() = default;
};

// What became of a key press.
enum class KeyOutcome {
  Handled,   // a key procedure answered krHandled
  PassedOn,  // every procedure passed it on; the editor's own action ran
  NotBound,  // no procedure is bound to it; the editor's own action ran
  Pending,   // it began a bound key sequence; the next press completes it
  Faulted,   // a key procedure raised; the press counts as consumed
};

class KeyBindings {
 public:
  KeyBindings(AddinBoundary& boundary, KeyBindingObjects& objects)
      : boundary_(&boundary), objects_(&objects) {}

  // Adds a binding owned by `package` (null for none); its index, or -1 for a null binding.
  std::int32_t Add(ComPtr<IOTAKeyboardBinding> binding, const Package* package);
  // Removes a binding and its keys; an unknown index is ignored.
  void Remove(std::int32_t index);
  void RemoveOwnedBy(const Package* package);
  void Clear() noexcept;
  std::size_t Count() const noexcept { return bindings_.size(); }

  // Asks every binding to bind its keys, in the order they were added.
  void Build();
  // Adds a handler for the binding services of binding `handler.bindingIndex` (while Build asks
  // it to bind). False when the map refuses it (no keys, no procedure), and when another
  // package holds its keys: then it is added all the same, after the holder's, and the author
  // is warned (once for each pair of packages and keys).
  bool AddHandler(KeyHandler handler);
  const KeyMap& Keys() const noexcept { return keys_; }
  // Routes a press to the key procedures (see KeyMap for the rule): they run in order with the
  // code as pressed until one answers krHandled or raises.
  KeyOutcome Route(TShortCut code);

 private:
  struct Binding {
    std::int32_t index;
    ComPtr<IOTAKeyboardBinding> binding;
    const Package* package;
    std::string name;  // its GetName, asked while it binds
  };

  KeyOutcome Run(const KeyMap::Route& route, TShortCut code);
  // Tells the author that `handler` binds keys `holder` holds, once for each such pair.
  void WarnHeld(const KeyHandler& handler, const KeyHandler& holder);

  AddinBoundary* boundary_;
  KeyBindingObjects* objects_;
  std::vector<Binding> bindings_;
  std::int32_t nextIndex_ = 0;
  KeyMap keys_;
  KeyMap::Route spareRoute_;
  bool stale_ = false;
  Binding* building_ = nullptr;  // the binding whose BindKeyboard runs
  std::set<std::string> warned_;
};

}  // namespace zeb
