#include "ide/core/Ide.h"

#include <algorithm>
#include <cstdio>

#include "api/PackageInfo.h"
#include "ide/ota/KeyBindingServicesObject.h"
#include "ide/ota/KeyContextObject.h"
#include "ide/ota/ServicesObject.h"
#include "runtime/Exceptions.h"
#include "runtime/Forms.h"
#include "runtime/IdeServices.h"
#include "runtime/KeyCodes.h"

namespace zebide {

namespace {
std::string Hex(TShortCut code) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(code));
  return text;
}
}  // namespace

std::vector<std::string> Ide::DefaultProvidedPackages() {
  return {"rtl100.bpl",    "vcl100.bpl",         "vclx100.bpl",
          "xmlrtl100.bpl", "vclactnband100.bpl", "designide100.bpl"};
}

Ide::Ide(IdeObserver& observer, Options options)
    : observer_(&observer), options_(std::move(options)), presenter_(observer) {
  if (options_.binDirectory.empty()) options_.binDirectory = IdeEnvironment::ExecutableDirectory();
  environment_ = IdeEnvironment::FromSystem(options_.binDirectory);
  services_ = MakeCounted<ServicesObject>(*this);
  BorlandIDEServices = services_;
  Application->SetModalPresenter(&presenter_);
  Application->SetExceptionHandler([this](std::exception_ptr error) {
    const ExceptionDescription d = DescribeException(error);
    observer_->OnFault(Fault{"form", d.className, d.message});
  });
}

Ide::~Ide() {
  UnloadPackages();
  bindings_.clear();
  keys_.Clear();
  recent_.clear();
  views_.clear();
  modules_.clear();
  Application->SetExceptionHandler({});
  Application->SetModalPresenter(nullptr);
  services_->Detach();
  BorlandIDEServices.Reset();
  services_.Reset();
}

// ---- Packages -------------------------------------------------------------------------------

bool Ide::LoadPackage(const std::string& path) {
  auto fail = [&](const std::string& reason) {
    observer_->OnMessage("cannot load package " + path + ": " + reason);
    return false;
  };
  std::string error;
  std::unique_ptr<Package> package = Package::Open(path, error);
  if (!package) return fail(error);
  const PackageIdentity& id = package->Identity();

  for (const auto& loaded : packages_)
    if (loaded->Identity().name == id.name)
      return fail("a package named " + id.name + " is already loaded from " + loaded->Path());

  std::vector<std::string> missing;
  for (const std::string& required : id.requiredPackages)
    if (std::find(options_.providedPackages.begin(), options_.providedPackages.end(), required) ==
        options_.providedPackages.end())
      missing.push_back(required);
  if (!missing.empty()) {
    std::string list;
    for (const std::string& name : missing)
      list += (list.empty() ? "" : ", ") + name;
    return fail("it requires " + list + ", which this IDE does not provide");
  }

  const Package::EntryPoint registerProc = package->Entry(kRegisterSymbol);
  if (registerProc == nullptr) return fail(std::string("it has no ") + kRegisterSymbol);
  const Package::EntryPoint initialize = package->Entry(kInitializeSymbol);

  registering_ = package.get();
  if (initialize != nullptr) {
    if (const auto fault = Guard("Initialize", initialize)) {
      registering_ = nullptr;
      Unload(*package, true);
      return fail("Initialize raised " + fault->className + ": " + fault->message);
    }
  }
  if (const auto fault = Guard("Register", registerProc)) {
    registering_ = nullptr;
    Unload(*package, true);
    return fail("Register raised " + fault->className + ": " + fault->message);
  }
  registering_ = nullptr;
  packages_.push_back(std::move(package));
  keyMapStale_ = true;
  return true;
}

void Ide::Unload(Package& package, bool finalize) {
  if (finalize) {
    if (const Package::EntryPoint fin = package.Entry(kFinalizeSymbol))
      CallAddin("Finalize of " + package.Path(), fin);
  }
  // Whatever the package left bound or created must go before its code does.
  DropBindingsOf(&package);
  DestroyComponentsOf(package);
  package.Close();
}

void Ide::UnloadPackages() {
  if (packages_.empty()) return;
  for (auto it = packages_.rbegin(); it != packages_.rend(); ++it) {
    if (const Package::EntryPoint fin = (*it)->Entry(kFinalizeSymbol))
      CallAddin("Finalize of " + (*it)->Path(), fin);
    DropBindingsOf(it->get());
    DestroyComponentsOf(**it);
  }
  // What is left is of the form library's own classes, which a package may have created with
  // handlers in its code: with every package going, none of it may outlive them.
  Application->DestroyComponents();
  for (auto it = packages_.rbegin(); it != packages_.rend(); ++it)
    (*it)->Close();
  packages_.clear();
}

void Ide::DestroyComponentsOf(const Package& package) {
  // A destructor may free other components too, so look again after each one.
  for (bool found = true; found;) {
    found = false;
    for (std::size_t i = Application->ComponentCount(); i-- > 0;) {
      TComponent* const component = Application->Components(i);
      if (package.Implements(component)) {
        delete component;
        found = true;
        break;
      }
    }
  }
}

void Ide::DropBindingsOf(const Package* package) {
  std::vector<std::int32_t> indexes;
  for (const Binding& b : bindings_)
    if (b.package == package) indexes.push_back(b.index);
  for (const std::int32_t index : indexes)
    RemoveKeyboardBinding(index);
}

// ---- Modules and views ----------------------------------------------------------------------

EditView* Ide::ShowOpenFile(const std::string& normalPath) {
  for (const auto& module : modules_) {
    const std::size_t index = module->IndexOf(normalPath);
    if (index < module->FileCount()) {
      const auto view = ViewFor(module->File(index));
      Activate(view);
      return view.get();
    }
  }
  return nullptr;
}

EditView& Ide::Open(const std::string& path) {
  const std::string normal = NormalPath(path);
  if (EditView* open = ShowOpenFile(normal)) return *open;
  std::shared_ptr<Module> module = Module::Open(normal);
  Watch(*module);
  modules_.push_back(module);
  std::size_t index = module->IndexOf(normal);
  if (index >= module->FileCount()) index = 0;
  const auto view = ViewFor(module->File(index));
  Activate(view);
  return *view;
}

EditView& Ide::ShowFile(const std::string& path) {
  if (EditView* open = ShowOpenFile(NormalPath(path))) return *open;
  throw EInvalidOperation(path + " is not a file of an open module");
}

EditView& Ide::Split() {
  const auto top = TopView();
  if (!top) throw EInvalidOperation("there is no view to split");
  auto view = std::make_shared<EditView>(top->SharedDocument(), options_.tabWidth);
  view->CopyStateFrom(*top);
  views_.push_back(view);
  Activate(view);
  return *view;
}

void Ide::Activate(const std::shared_ptr<EditView>& view) {
  recent_.erase(std::remove(recent_.begin(), recent_.end(), view.get()), recent_.end());
  recent_.insert(recent_.begin(), view.get());
  observer_->OnTopViewChanged(*view);
}

void Ide::CloseView(const std::shared_ptr<EditView>& view) {
  if (!view) return;
  const auto module = ModuleOf(view->GetDocument());
  recent_.erase(std::remove(recent_.begin(), recent_.end(), view.get()), recent_.end());
  views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
  if (!module) return;
  for (const auto& other : views_)
    if (module->IndexOf(other->GetDocument()) < module->FileCount()) return;
  for (std::size_t i = 0; i < module->FileCount(); ++i)
    module->File(i)->SetChangeListener({});
  modules_.erase(std::remove(modules_.begin(), modules_.end(), module), modules_.end());
}

std::shared_ptr<EditView> Ide::ViewFor(const std::shared_ptr<Document>& document) {
  for (EditView* recent : recent_)
    if (&recent->GetDocument() == document.get())
      for (const auto& view : views_)
        if (view.get() == recent) return view;
  auto view = std::make_shared<EditView>(document, options_.tabWidth);
  views_.push_back(view);
  return view;
}

void Ide::Watch(Module& module) {
  for (std::size_t i = 0; i < module.FileCount(); ++i) {
    module.File(i)->SetChangeListener([this](Document& document, const TextChange& change) {
      for (const auto& view : views_)
        if (&view->GetDocument() == &document) view->ClampToDocument();
      observer_->OnDocumentChanged(document, change);
    });
  }
}

std::shared_ptr<EditView> Ide::TopView() const {
  if (recent_.empty()) return nullptr;
  for (const auto& view : views_)
    if (view.get() == recent_.front()) return view;
  return nullptr;
}

std::shared_ptr<Module> Ide::CurrentModule() const {
  const auto top = TopView();
  return top ? ModuleOf(top->GetDocument()) : nullptr;
}

std::shared_ptr<Module> Ide::ModuleOf(const Document& document) const {
  for (const auto& module : modules_)
    if (module->IndexOf(document) < module->FileCount()) return module;
  return nullptr;
}

std::vector<std::shared_ptr<EditView>> Ide::ViewsOf(const Document& document) const {
  std::vector<std::shared_ptr<EditView>> views;
  for (const auto& view : views_)
    if (&view->GetDocument() == &document) views.push_back(view);
  return views;
}

std::shared_ptr<EditView> Ide::LastViewOf(const Module& module) const {
  for (EditView* recent : recent_) {
    if (module.IndexOf(recent->GetDocument()) >= module.FileCount()) continue;
    for (const auto& view : views_)
      if (view.get() == recent) return view;
  }
  return nullptr;
}

// ---- Keyboard -------------------------------------------------------------------------------

std::int32_t Ide::AddKeyboardBinding(ComPtr<IOTAKeyboardBinding> binding) {
  if (!binding) return -1;
  const Package* package = registering_;
  // Added later (from a key procedure, say): it belongs to the package that implements it.
  for (auto it = packages_.begin(); package == nullptr && it != packages_.end(); ++it)
    if ((*it)->Implements(binding.Get())) package = it->get();
  const std::int32_t index = nextBindingIndex_++;
  bindings_.push_back(Binding{index, std::move(binding), package});
  keyMapStale_ = true;
  return index;
}

void Ide::RemoveKeyboardBinding(std::int32_t index) {
  const auto it = std::find_if(bindings_.begin(), bindings_.end(),
                               [&](const Binding& b) { return b.index == index; });
  if (it == bindings_.end()) return;
  // Its keys go at once: the handlers hold the binding, whose code may be about to unload.
  keys_.RemoveBinding(index);
  bindings_.erase(it);
}

void Ide::BuildKeyMap() {
  keyMapStale_ = false;
  keys_.Clear();
  const std::vector<Binding> bindings = bindings_;
  for (const Binding& b : bindings) {
    const auto services = MakeCounted<KeyBindingServicesObject>(keys_, b.index, b.binding);
    std::string name = "a keyboard binding";
    Guard("GetName", [&] { name = b.binding->GetName(); });
    CallAddin("BindKeyboard of " + name, [&] { b.binding->BindKeyboard(services.Get()); });
    services->Close();
  }
}

KeyOutcome Ide::PressKey(TShortCut code) {
  const KeyOutcome outcome = RouteKey(code);
  if (outcome == KeyOutcome::PassedOn || outcome == KeyOutcome::NotBound) {
    if (const auto view = TopView()) DefaultKeyAction(*view, code);
  }
  return outcome;
}

KeyOutcome Ide::RouteKey(TShortCut code) {
  if (keyMapStale_) BuildKeyMap();
  const KeyMap::Route route = keys_.Press(code);
  if (route.pending) return KeyOutcome::Pending;
  if (!route.handlers.empty()) {
    const auto context = MakeCounted<KeyContextObject>();
    for (const KeyHandler& handler : route.handlers) {
      // One pointer in the call, so that std::function keeps it without allocating; the label
      // of the fault is only written when there is one.
      struct Call {
        const KeyHandler& handler;
        IOTAKeyContext* context;
        TShortCut code;
        TKeyBindingResult result = krUnhandled;
      } call{handler, context.Get(), code};
      if (auto fault =
              Guard({}, [c = &call] { c->handler.proc(c->context, c->code, c->result); })) {
        fault->where = "key " + Hex(code);
        observer_->OnFault(*fault);
        return KeyOutcome::Faulted;
      }
      const TKeyBindingResult result = call.result;
      if (result == krHandled) return KeyOutcome::Handled;
      // krNextProc, and krUnhandled alike, go on to the next handler.
    }
  }
  return route.handlers.empty() ? KeyOutcome::NotBound : KeyOutcome::PassedOn;
}

void Ide::DefaultKeyAction(EditView& view, TShortCut code) {
  std::uint16_t key = 0;
  TShiftState shift = TShiftState::None;
  ShortCutToKey(code, key, shift);
  if (Has(shift, TShiftState::Ctrl) || Has(shift, TShiftState::Alt)) return;
  const bool shifted = Has(shift, TShiftState::Shift);
  std::string text;
  if (key == vkTab && !shifted)
    text = "\t";
  else if (key == 0x0D)
    text = "\n";
  else if (key == 0x20)
    text = " ";
  else if (key >= 'A' && key <= 'Z')
    text.assign(1, static_cast<char>(shifted ? key : key - 'A' + 'a'));
  else if (key >= '0' && key <= '9' && !shifted)
    text.assign(1, static_cast<char>(key));
  else if (key >= vkNumpad0 && key <= vkNumpad9)
    text.assign(1, static_cast<char>('0' + (key - vkNumpad0)));
  if (text.empty()) return;
  // A key inserts at the cursor and leaves the block's text alone (only typing replaces it).
  view.Deselect();
  view.InsertText(text);
}

// ---- Boundary -------------------------------------------------------------------------------

std::optional<Fault> Ide::Guard(const std::string& where, const std::function<void()>& call) {
  try {
    call();
    return std::nullopt;
  } catch (...) {
    const ExceptionDescription d = DescribeException(std::current_exception());
    return Fault{where, d.className, d.message};
  }
}

bool Ide::CallAddin(const std::string& where, const std::function<void()>& call) {
  const auto fault = Guard(where, call);
  if (fault) observer_->OnFault(*fault);
  return !fault;
}

void Ide::Paint(EditView& view) {
  observer_->OnPaint(view);
}

}  // namespace zebide
