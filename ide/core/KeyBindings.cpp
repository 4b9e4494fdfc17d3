#include "ide/core/KeyBindings.h"

#include <algorithm>
#include <string>

#include "ide/core/KeyName.h"
#include "ide/core/Package.h"

namespace zeb {

namespace {
std::string PackageName(const Package* package) {
  return package != nullptr ? package->Identity().name : std::string("no package");
}

// "package P, binding B" (or "binding B" for none), as fault labels and warnings name a
// handler's owner.
std::string Owner(const Package* package, const std::string& binding) {
  return (package != nullptr ? "package " + package->Identity().name + ", " : std::string()) +
         "binding " + (binding.empty() ? std::string("(no name)") : binding);
}

std::string KeyList(const std::vector<TShortCut>& keys) {
  std::string text;
  for (const TShortCut key : keys)
    text += (text.empty() ? "" : ", ") + KeyName::Label(key);
  return text;
}
}  // namespace

std::int32_t KeyBindings::Add(ComPtr<IOTAKeyboardBinding> binding, const Package* package) {
  if (!binding) return -1;
  const std::int32_t index = nextIndex_++;
  bindings_.push_back(Binding{index, std::move(binding), package, {}});
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
  std::vector<Binding> bindings = bindings_;
  for (Binding& b : bindings) {
    const AddinBoundary::Running running(b.package);
    AddinBoundary::Guard("GetName", [&] { b.name = b.binding->GetName(); });
    const auto services = objects_->OpenBindingServices(*this, b.index, b.binding);
    building_ = &b;
    boundary_->Call("BindKeyboard of " + Owner(b.package, b.name),
                    [&] { b.binding->BindKeyboard(services.Get()); });
    building_ = nullptr;
    objects_->CloseBindingServices(*services);
  }
}

bool KeyBindings::AddHandler(KeyHandler handler) {
  if (building_ != nullptr && building_->index == handler.bindingIndex) {
    handler.package = building_->package;
    handler.bindingName = building_->name;
  }
  const KeyHandler* holder = nullptr;
  if (handler.package != nullptr)
    for (const auto& held : keys_.Handlers())
      if (held->package != nullptr && held->package != handler.package &&
          held->keys == handler.keys) {
        holder = held.get();
        break;
      }
  const KeyHandler added = holder != nullptr ? handler : KeyHandler();
  if (!keys_.Add(std::move(handler))) return false;
  if (holder == nullptr) return true;
  WarnHeld(added, *holder);
  return false;
}

void KeyBindings::WarnHeld(const KeyHandler& handler, const KeyHandler& holder) {
  const std::string text =
      "key " + KeyList(handler.keys) + " is held by " + Owner(holder.package, holder.bindingName) +
      "; " + Owner(handler.package, handler.bindingName) +
      " binds it too: its AddKeyBinding answers false, and the key reaches it only when " +
      PackageName(holder.package) + " passes it on";
  if (warned_.insert(text).second)
    boundary_->Warn(AddinWarning{PackageName(handler.package), text});
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
    const AddinBoundary::Running running(handler->package);
    const auto where = [code, handler] {
      return "key " + KeyName::Label(code) + " in " + Owner(handler->package, handler->bindingName);
    };
    if (!boundary_->CallLabelled(where, [&] { handler->proc(context.Get(), code, result); }))
      return KeyOutcome::Faulted;
    if (result == krHandled) return KeyOutcome::Handled;
    // krNextProc, and krUnhandled alike, go on to the next handler.
  }
  return KeyOutcome::PassedOn;
}

}  // namespace zeb
