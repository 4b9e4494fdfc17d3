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
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "api/ComPtr.h"
#include "api/KeyTypes.h"
#include "api/ToolsAPI.h"

namespace zebide {

struct KeyHandler {
  std::vector<TShortCut> keys;
  TKeyBindingProc proc;
  void* context = nullptr;
  std::int32_t flags = 0;
  std::string keyboard;
  std::string menuItemName;
  std::int32_t bindingIndex = -1;       // the keyboard binding that added the handler
  ComPtr<IOTAKeyboardBinding> binding;  // keeps the procedure's object alive
};

class KeyMap {
 public:
  struct Route {
    std::vector<KeyHandler> handlers;  // in the order they are to run
    bool pending = false;              // the press began a sequence; nothing runs yet
  };

  // Adds a handler; false (and nothing added) for an empty key list or a missing procedure.
  bool Add(KeyHandler handler);
  void Clear() noexcept;
  // Drops the handlers that the keyboard binding `bindingIndex` added.
  void RemoveBinding(std::int32_t bindingIndex);
  std::size_t Size() const noexcept { return handlers_.size(); }
  const std::vector<KeyHandler>& Handlers() const noexcept { return handlers_; }

  // Looks up the handlers for a press, following the rule above.
  Route Press(TShortCut code);
  bool Pending() const noexcept { return !pending_.empty(); }

  // The main-keyboard code a keypad code stands for; other codes come back unchanged.
  static TShortCut FromKeypad(TShortCut code) noexcept;

 private:
  enum class Match { None, Prefix, Whole };
  static Match Compare(const KeyHandler& handler, const std::vector<TShortCut>& pressed,
                       bool exact);
  Route Lookup(const std::vector<TShortCut>& pressed) const;

  std::vector<KeyHandler> handlers_;
  std::vector<TShortCut> pending_;
};

}  // namespace zebide
