#include "ide/app/Ide.h"

#include "ide/ota/ServicesObject.h"
#include "runtime/Exceptions.h"
#include "runtime/Forms.h"
#include "runtime/IdeServices.h"
#include "runtime/KeyCodes.h"

namespace zeb {

AddinHost::Options Ide::HostOptions(Options& options) {
  if (options.binDirectory.empty()) options.binDirectory = IdeEnvironment::ExecutableDirectory();
  AddinHost::Options host;
  host.environment = IdeEnvironment::FromSystem(options.binDirectory);
  host.providedPackages = options.providedPackages;
  return host;
}

Ide::Ide(IdeObserver& observer, Options options)
    : options_(std::move(options)),
      views_(options_.tabWidth, observer),
      host_(observer, keyObjects_, HostOptions(options_)) {
  // An add-in opens a file as the user does.
  views_.SetOpener([this](const std::string& path) -> EditorSeam::Module* {
    Open(path);
    return views_.CurrentModule();
  });
  services_ = MakeCounted<ServicesObject>(views_, host_);
  BorlandIDEServices = services_;
}

Ide::~Ide() {
  // Packages finalize while the services still answer; then nothing may reach the IDE.
  host_.UnloadPackages();
  keyObjects_.Clear();
  views_.Clear();
  services_->Detach();
  BorlandIDEServices.Reset();
  services_.Reset();
}

// ---- Modules and views ----------------------------------------------------------------------

EditView& Ide::Open(const std::string& path) {
  const std::string normal = NormalPath(path);
  auto view = views_.ViewOfOpenFile(normal);
  if (!view) {
    std::shared_ptr<Module> module =
        Module::Open(normal, [this](const std::string& text) { host_.Observer().OnMessage(text); });
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
  host_.Observer().OnTopViewChanged(*view);
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
      host_.Observer().OnDocumentChanged(document, change);
      if (change.kind == TextChange::Kind::Saved) views_.FileSaved(document);
    });
  }
}

std::shared_ptr<Module> Ide::CurrentModule() const {
  const auto top = TopView();
  return top ? ModuleOf(top->GetDocument()) : nullptr;
}

// ---- Keyboard -------------------------------------------------------------------------------

KeyOutcome Ide::PressKey(TShortCut code) {
  const KeyOutcome outcome = RouteKey(code);
  if (outcome == KeyOutcome::PassedOn || outcome == KeyOutcome::NotBound) {
    if (const auto view = TopView()) DefaultKeyAction(*view, code);
  }
  return outcome;
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

}  // namespace zeb
