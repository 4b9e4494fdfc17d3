#include "ide/core/KeyMap.h"

#include <utility>

#include "runtime/KeyCodes.h"

namespace zebide {

namespace {
constexpr TShortCut kModifiers = scShift | scCtrl | scAlt;
}

bool KeyMap::Add(KeyHandler handler) {
  if (handler.keys.empty() || !handler.proc) return false;
  handlers_.push_back(std::move(handler));
  return true;
}

void KeyMap::Clear() noexcept {
  handlers_.clear();
  pending_.clear();
}

void KeyMap::RemoveBinding(std::int32_t bindingIndex) {
  std::erase_if(handlers_, [&](const KeyHandler& h) { return h.bindingIndex == bindingIndex; });
}

TShortCut KeyMap::FromKeypad(TShortCut code) noexcept {
  const auto modifiers = static_cast<TShortCut>(code & kModifiers);
  const auto key = static_cast<TShortCut>(code & ~kModifiers);
  TShortCut main = key;
  if (key >= vkNumpad0 && key <= vkNumpad9)
    main = static_cast<TShortCut>('0' + (key - vkNumpad0));
  else if (key == vkAdd)
    main = vkOemPlus;
  else if (key == vkSubtract)
    main = vkOemMinus;
  else if (key == vkDecimal)
    main = vkOemPeriod;
  else if (key == vkDivide)
    main = vkOem2;
  return static_cast<TShortCut>(main | modifiers);
}

KeyMap::Match KeyMap::Compare(const KeyHandler& handler, const std::vector<TShortCut>& pressed,
                              bool exact) {
  if (pressed.size() > handler.keys.size()) return Match::None;
  const auto firstModifiers = static_cast<TShortCut>(pressed.front() & kModifiers);
  for (std::size_t i = 0; i < pressed.size(); ++i) {
    const TShortCut bound = handler.keys[i];
    TShortCut key = pressed[i];
    if (key == bound) continue;
    if (exact) return Match::None;
    if (handler.flags & kfImplicitKeypad) key = FromKeypad(key);
    if (i > 0 && (handler.flags & kfImplicitModifier) && (key & kModifiers) == 0)
      key = static_cast<TShortCut>(key | firstModifiers);
    if (key == bound) continue;
    if ((handler.flags & kfImplicitShift) && (key & scShift) && !(bound & scShift) &&
        static_cast<TShortCut>(key & ~scShift) == bound)
      continue;
    return Match::None;
  }
  return pressed.size() == handler.keys.size() ? Match::Whole : Match::Prefix;
}

KeyMap::Route KeyMap::Lookup(const std::vector<TShortCut>& pressed) const {
  Route route;
  for (const bool exact : {true, false}) {
    for (const KeyHandler& handler : handlers_) {
      const Match match = Compare(handler, pressed, exact);
      if (match == Match::Whole) route.handlers.push_back(handler);
      if (match == Match::Prefix) route.pending = true;
    }
    if (!route.handlers.empty()) {
      route.pending = false;  // a whole match wins over a longer sequence
      return route;
    }
    if (route.pending) return route;
  }
  return route;
}

KeyMap::Route KeyMap::Press(TShortCut code) {
  std::vector<TShortCut> pressed = pending_;
  pressed.push_back(code);
  pending_.clear();
  Route route = Lookup(pressed);
  if (route.handlers.empty() && !route.pending && pressed.size() > 1) {
    // The sequence broke off: the key counts on its own.
    pressed.assign(1, code);
    route = Lookup(pressed);
  }
  if (route.pending) pending_ = std::move(pressed);
  return route;
}

}  // namespace zebide
