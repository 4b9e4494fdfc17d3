// KeyMap: the key bindings as data, and the rule that picks the handlers of a key press.
//
// A handler binds a key sequence (usually one key) to a key procedure. Handlers are kept in the
// order they were added; for a key code the map looks them up in that order.
//
// Routing rule. A press goes first to the handlers bound to exactly that key (for a sequence:
// every key as pressed). Only when there are none do the implicit matches count, each allowed by
// the handler's own flags, in binding order:
//   kfImplicitShift     the handler's key without Shift also takes the key pressed with Shift:
//                       a Ctrl+Alt+U binding receives Ctrl+Alt+Shift+U when nothing is bound
//                       to Ctrl+Alt+Shift+U itself.
//   kfImplicitModifier  in a sequence, a later key pressed without modifiers counts as pressed
//                       with the modifiers of the sequence's first key: Ctrl+K Ctrl+B is
//                       also reached by Ctrl+K B.
//   kfImplicitKeypad    a key of the numeric keypad (0 to 9, +, -, ., /) counts as the same
//                       key of the main keyboard: a binding for Ctrl+5 receives Ctrl+Num5.
// The procedure is always given the code as pressed, so it sees the modifiers actually held.
// A press that begins a bound sequence, and no more, is kept as pending until the next press.
//
// A route points at the map's handlers rather than copying them. A procedure may remove
// bindings (its own among them) while it runs: while a Hold on the map lasts, removed handlers
// are kept, so the handlers routed to stay whole until the press is over. A press allocates
// nothing once the map has routed a press before (Press into a route that is reused).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "api/ComPtr.h"
#include "api/KeyTypes.h"
#include "api/ToolsAPI.h"

namespace zeb {

class Package;

struct KeyHandler {
  std::vector<TShortCut> keys;
  TKeyBindingProc proc;
  void* context = nullptr;
  std::int32_t flags = 0;
  std::string keyboard;
  std::string menuItemName;
  std::int32_t bindingIndex = -1;       // the keyboard binding that added the handler
  ComPtr<IOTAKeyboardBinding> binding;  // keeps the procedure's object alive
  const Package* package = nullptr;     // the package that owns that binding, or null
  std::string bindingName;              // that binding's GetName
};

class KeyMap {
 public:
  struct Route {
    std::vector<const KeyHandler*> handlers;  // in the order they are to run
    bool pending = false;                     // the press began a sequence; nothing runs yet
  };

  // Keeps the handlers removed from the map alive while it lasts (holds nest).
  class Hold {
   public:
    explicit Hold(KeyMap& map) noexcept : map_(&map) { ++map_->holds_; }
    ~Hold() {
      if (--map_->holds_ == 0) map_->retired_.clear();
    }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    KeyMap* map_;
  };

  // Adds a handler; false (and nothing added) for an empty key list or a missing procedure.
  bool Add(KeyHandler handler);
  void Clear() noexcept;
  // Drops the handlers that the keyboard binding `bindingIndex` added.
  void RemoveBinding(std::int32_t bindingIndex);
  std::size_t Size() const noexcept { return handlers_.size(); }
  const std::vector<std::shared_ptr<const KeyHandler>>& Handlers() const noexcept {
    return handlers_;
  }

  // Looks up the handlers for a press, following the rule above, into `route` (its handlers
  // replaced). The handlers stay valid until the map changes, or while a Hold lasts.
  void Press(TShortCut code, Route& route);
  Route Press(TShortCut code) {
    Route route;
    Press(code, route);
    return route;
  }
  bool Pending() const noexcept { return !pending_.empty(); }

  // The main-keyboard code a keypad code stands for; other codes come back unchanged.
  static TShortCut FromKeypad(TShortCut code) noexcept;

 private:
  enum class Match { None, Prefix, Whole };
  static Match Compare(const KeyHandler& handler, std::span<const TShortCut> pressed, bool exact);
  void Lookup(std::span<const TShortCut> pressed, Route& route) const;

  std::vector<std::shared_ptr<const KeyHandler>> handlers_;
  std::vector<TShortCut> pending_;
  int holds_ = 0;
  std::vector<std::shared_ptr<const KeyHandler>> retired_;  // removed while held
};

}  // namespace zeb
