#include "ide/app/Ide.h"

#include "ide/ota/ServicesObject.h"
#include "runtime/Exceptions.h"
#include "runtime/Forms.h"
#include "runtime/IdeServices.h"
#include "runtime/KeyCodes.h"

namespace zeb {

std::vector<std::string> Ide::DefaultProvidedPackages() {
  return {"rtl100.bpl",    "vcl100.bpl",         "vclx100.bpl",
          "xmlrtl100.bpl", "vclactnband100.bpl", "designide100.bpl"};
}

Ide::Ide(IdeObserver& observer, Options options)
    : observer_(&observer),
      options_(std::move(options)),
      presenter_(observer),
      boundary_(observer),
      bindings_(boundary_, keyObjects_),
      loader_(options_.providedPackages, boundary_, bindings_),
      views_(options_.tabWidth) {
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
  bindings_.Clear();
  keyObjects_.Clear();
  views_.Clear();
  Application->SetExceptionHandler({});
  Application->SetModalPresenter(nullptr);
  services_->Detach();
  BorlandIDEServices.Reset();
  services_.Reset();
}

// ---- Packages -------------------------------------------------------------------------------

bool Ide::LoadPackage(const std::string& path, std::string foundIn) {
  try {
    loader_.Load(path, std::move(foundIn));
    return true;
  } catch (const EPackageError& e) {
    observer_->OnMessage("cannot load package " + path + ": " + e.Message());
    return false;
  }
}

std::vector<Ide::PackageFolder> Ide::PackageFolders() const {
  return {{"system", environment_.systemPackagesDirectory},
          {"user", environment_.userPackagesDirectory}};
}

std::size_t Ide::LoadPackagesFrom(const std::vector<PackageFolder>& folders) {
  std::size_t found = 0;
  for (const PackageFolder& folder : folders) {
    std::vector<std::string> files;
    try {
      files = PackageLoader::FindPackages(folder.path);
    } catch (const EPackageError& e) {
      observer_->OnMessage("cannot read packages folder " + folder.path + ": " + e.Message());
    }
    found += files.size();
    for (const std::string& file : files)
      LoadPackage(file, folder.kind + " packages folder " + folder.path);
  }
  return found;
}

void Ide::UnloadPackages() {
  loader_.UnloadAll();
}

// ---- Modules and views ----------------------------------------------------------------------

EditView& Ide::Open(const std::string& path) {
  const std::string normal = NormalPath(path);
  auto view = views_.ViewOfOpenFile(normal);
  if (!view) {
    std::shared_ptr<Module> module =
        Module::Open(normal, [this](const std::string& text) { observer_->OnMessage(text); });
    Watch(*module);
    views_.AddModule(module);
    std::size_t index = module->IndexOf(normal);
    if (index >= module->FileCount()) index = 0;
    view = views_.ViewFor(module->File(index));
  }
  Activate(view);
  return *view;
}

EditView& Ide::ShowFile(const std::string& path) {
  const auto view = views_.ViewOfOpenFile(NormalPath(path));
  if (!view) throw EInvalidOperation(path + " is not a file of an open module");
  Activate(view);
  return *view;
}

EditView& Ide::Split() {
  const auto top = TopView();
  if (!top) throw EInvalidOperation("there is no view to split");
  const auto view = views_.AddView(top->SharedDocument());
  view->CopyStateFrom(*top);
  Activate(view);
  return *view;
}

void Ide::Activate(const std::shared_ptr<EditView>& view) {
  views_.Activate(view);
  observer_->OnTopViewChanged(*view);
}

void Ide::CloseView(const std::shared_ptr<EditView>& view) {
  if (!view) return;
  if (const auto closed = views_.Remove(view))
    for (std::size_t i = 0; i < closed->FileCount(); ++i)
      closed->File(i)->SetChangeListener({});
  // Idle interface objects must not keep a closed view, or its document, in memory.
  services_->ReleaseIdle();
}

void Ide::Watch(Module& module) {
  for (std::size_t i = 0; i < module.FileCount(); ++i) {
    module.File(i)->SetChangeListener([this](Document& document, const TextChange& change) {
      // Bytes put into one line, with nothing taken out, leave every place in the text valid.
      const bool placesStay = change.kind == TextChange::Kind::Saved ||
                              (change.removed == 0 && change.insertedLines == 1);
      if (!placesStay)
        views_.ForEachViewOf(document, [](EditView& view) { view.ClampToDocument(); });
      observer_->OnDocumentChanged(document, change);
    });
  }
}

std::shared_ptr<EditView> Ide::TopView() const {
  return views_.TopView();
}

std::shared_ptr<Module> Ide::CurrentModule() const {
  const auto top = TopView();
  return top ? ModuleOf(top->GetDocument()) : nullptr;
}

std::shared_ptr<Module> Ide::ModuleOf(const Document& document) const {
  return views_.ModuleOf(document);
}

std::vector<std::shared_ptr<EditView>> Ide::ViewsOf(const Document& document) const {
  return views_.ViewsOf(document);
}

std::shared_ptr<EditView> Ide::LastViewOf(const Module& module) const {
  return views_.LastViewOf(module);
}

// ---- Keyboard -------------------------------------------------------------------------------

std::int32_t Ide::AddKeyboardBinding(ComPtr<IOTAKeyboardBinding> binding) {
  // A binding added outside Register (from a key procedure, say) belongs to the package that
  // implements it.
  const Package* owner = loader_.OwnerOf(binding.Get());
  return bindings_.Add(std::move(binding), owner);
}

void Ide::RemoveKeyboardBinding(std::int32_t index) {
  bindings_.Remove(index);
}

void Ide::BuildKeyMap() {
  bindings_.Build();
}

KeyOutcome Ide::PressKey(TShortCut code) {
  const KeyOutcome outcome = RouteKey(code);
  if (outcome == KeyOutcome::PassedOn || outcome == KeyOutcome::NotBound) {
    if (const auto view = TopView()) DefaultKeyAction(*view, code);
  }
  return outcome;
}

KeyOutcome Ide::RouteKey(TShortCut code) {
  return bindings_.Route(code);
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
  else if (key == vkReturn)
    text = "\n";
  else if (key == vkSpace)
    text = " ";
  else if (key >= vkA && key <= vkZ)
    text.assign(1, static_cast<char>(shifted ? key : key - vkA + 'a'));
  else if (key >= vk0 && key <= vk9 && !shifted)
    text.assign(1, static_cast<char>(key));
  else if (key >= vkNumpad0 && key <= vkNumpad9)
    text.assign(1, static_cast<char>('0' + (key - vkNumpad0)));
  if (text.empty()) return;
  // A key inserts at the cursor and leaves the block's text alone (only typing replaces it).
  view.Deselect();
  view.InsertText(text);
}

// ---- The rest -------------------------------------------------------------------------------

void Ide::Paint(EditView& view) {
  observer_->OnPaint(view);
}

}  // namespace zeb
