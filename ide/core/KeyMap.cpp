#include "ide/core/KeyMap.h"

#include <utility>

#include "runtime/KeyCodes.h"

namespace zeb {

namespace {
constexpr TShortCut kModifiers = scShift | scCtrl | scAlt;
}

bool KeyMap::Add(KeyHandler handler) {
  if (handler.keys.empty() || !handler.proc) return false;
  handlers_.push_back(std::make_shared<const KeyHandler>(std::move(handler)));
  return true;
}

void KeyMap::Clear() noexcept {
  if (holds_ > 0) retired_.insert(retired_.end(), handlers_.begin(), handlers_.end());
  handlers_.clear();
  pending_.clear();
}

void KeyMap::RemoveBinding(std::int32_t bindingIndex) {
  if (holds_ > 0)
    for (const auto& handler : handlers_)
      if (handler->bindingIndex == bindingIndex) retired_.push_back(handler);
  std::erase_if(handlers_, [&](const std::shared_ptr<const KeyHandler>& h) {
    return h->bindingIndex == bindingIndex;
  });
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

KeyMap::Match KeyMap::Compare(const KeyHandler& handler, std::span<const TShortCut> pressed,
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

void KeyMap::Lookup(std::span<const TShortCut> pressed, Route& route) const {
  route.handlers.clear();
  route.pending = false;
  if (pressed.size() == 1) {
    // The usual press: one key, bound as it is. Whole matches win over prefixes, so these are
    // the route when there are any.
    for (const auto& handler : handlers_)
      if (handler->keys.size() == 1 && handler->keys.front() == pressed.front())
        route.handlers.push_back(handler.get());
    if (!route.handlers.empty()) return;
  }
  for (const bool exact : {true, false}) {
    for (const auto& handler : handlers_) {
      const Match match = Compare(*handler, pressed, exact);
      if (match == Match::Whole) route.handlers.push_back(handler.get());
      if (match == Match::Prefix) route.pending = true;
    }
    if (!route.handlers.empty()) {
      route.pending = false;  // a whole match wins over a longer sequence
      return;
    }
    if (route.pending) return;
  }
}

void KeyMap::Press(TShortCut code, Route& route) {
  pending_.push_back(code);
  Lookup(pending_, route);
  if (route.handlers.empty() && !route.pending && pending_.size() > 1) {
    // The sequence broke off: the key counts on its own.
    pending_.assign(1, code);
    Lookup(pending_, route);
  }
  if (!route.pending) pending_.clear();
}

}  // namespace zeb
