#include "ide/core/KeyBindings.h"

#include <algorithm>
#include <string>

#include "ide/core/KeyName.h"

namespace zeb {

std::int32_t KeyBindings::Add(ComPtr<IOTAKeyboardBinding> binding, const Package* package) {
  if (!binding) return -1;
  const std::int32_t index = nextIndex_++;
  bindings_.push_back(Binding{index, std::move(binding), package});
  stale_ = true;
  return index;
}

void KeyBindings::Remove(std::int32_t index) {
  const auto it = std::find_if(bindings_.begin(), bindings_.end(),
                               [&](const Binding& b) { return b.index == index; });
  if (it == bindings_.end()) return;
  keys_.RemoveBinding(index);
  bindings_.erase(it);
}

void KeyBindings::RemoveOwnedBy(const Package* package) {
  std::vector<std::int32_t> indexes;
  for (const Binding& b : bindings_)
    if (b.package == package) indexes.push_back(b.index);
  for (const std::int32_t index : indexes)
    Remove(index);
}

void KeyBindings::Clear() noexcept {
  bindings_.clear();
  keys_.Clear();
  stale_ = false;
}

void KeyBindings::Build() {
  stale_ = false;
  keys_.Clear();
  // A binding may add or remove bindings while it binds: walk a copy.
  const std::vector<Binding> bindings = bindings_;
  for (const Binding& b : bindings) {
    const auto services = objects_->OpenBindingServices(keys_, b.index, b.binding);
    std::string name = "a keyboard binding";
    AddinBoundary::Guard("GetName", [&] { name = b.binding->GetName(); });
    boundary_->Call("BindKeyboard of " + name, [&] { b.binding->BindKeyboard(services.Get()); });
    objects_->CloseBindingServices(*services);
  }
}

KeyOutcome KeyBindings::Route(TShortCut code) {
  if (stale_) Build();
  const KeyMap::Hold hold(keys_);
  // The route's room is reused from press to press; a press made from inside a key procedure
  // finds it taken and makes its own.
  KeyMap::Route route = std::move(spareRoute_);
  keys_.Press(code, route);
  const KeyOutcome outcome = Run(route, code);
  route.handlers.clear();
  spareRoute_ = std::move(route);
  return outcome;
}

KeyOutcome KeyBindings::Run(const KeyMap::Route& route, TShortCut code) {
  if (route.pending) return KeyOutcome::Pending;
  if (route.handlers.empty()) return KeyOutcome::NotBound;
  const ComPtr<IOTAKeyContext> context = objects_->KeyContext();
  for (const auto& handler : route.handlers) {
    TKeyBindingResult result = krUnhandled;
    const auto where = [code] { return "key " + KeyName::Label(code); };
    if (!boundary_->CallLabelled(where, [&] { handler->proc(context.Get(), code, result); }))
      return KeyOutcome::Faulted;
    if (result == krHandled) return KeyOutcome::Handled;
    // krNextProc, and krUnhandled alike, go on to the next handler.
  }
  return KeyOutcome::PassedOn;
}

}  // namespace zeb
