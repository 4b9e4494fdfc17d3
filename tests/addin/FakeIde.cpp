#include "tests/addin/FakeIde.h"

#include <algorithm>
#include <atomic>

#include "runtime/Exceptions.h"
#include "runtime/IdeServices.h"

namespace zeb::fake {

namespace {
std::atomic<std::int64_t> liveReferences{0};
}

std::int64_t LiveReferences() {
  return liveReferences.load();
}

template <class... I>
std::int32_t Counted<I...>::AddRef() {
  ++liveReferences;
  return TInterfacedObject<I...>::AddRef();
}

template <class... I>
std::int32_t Counted<I...>::Release() {
  --liveReferences;
  return TInterfacedObject<I...>::Release();
}

namespace {
// The readable name of an identifier among those the add-in asks for.
std::string InterfaceName(const TGUID& iid) {
  for (const auto& [id, name] : {
           std::pair{IOTAModuleServices::IID, IOTAModuleServices::Name},
           std::pair{IOTAServices::IID, IOTAServices::Name},
           std::pair{IOTAEditorServices::IID, IOTAEditorServices::Name},
           std::pair{IOTAKeyboardServices::IID, IOTAKeyboardServices::Name},
           std::pair{IOTASourceEditor::IID, IOTASourceEditor::Name},
           std::pair{IOTAKeyboardBinding::IID, IOTAKeyboardBinding::Name},
       })
    if (id == iid) return name;
  return GUIDToString(iid);
}
}  // namespace

template <class... I>
HRESULT Counted<I...>::QueryInterface(const TGUID& iid, void** obj) {
  const std::string interfaceName = InterfaceName(iid);
  Call("QueryInterface(" + interfaceName + ")");
  if (ide_.refusedQueries.count(name_ + ":" + interfaceName) != 0) {
    *obj = nullptr;
    return E_NOINTERFACE;
  }
  return TInterfacedObject<I...>::QueryInterface(iid, obj);
}

template <class... I>
void Counted<I...>::Call(const std::string& call) const {
  const std::string entry = name_ + "." + call;
  ide_.Record(entry);
  if (ide_.ShouldRaise(entry)) throw InjectedFault("injected fault in " + entry);
}

// ---- Positions, blocks, views -----------------------------------------------------------------

std::int32_t FakeEditPosition::GetColumn() {
  Call("GetColumn");
  return column;
}
std::int32_t FakeEditPosition::GetRow() {
  Call("GetRow");
  return row;
}
std::int32_t FakeEditPosition::GetLastRow() {
  Call("GetLastRow");
  return lastRow;
}

bool FakeEditBlock::GetIsValid() {
  Call("GetIsValid");
  return valid;
}
void FakeEditBlock::Indent(std::int32_t magnitude) {
  Call("Indent(" + std::to_string(magnitude) + ")");
}
void FakeEditBlock::LowerCase() {
  Call("LowerCase");
}
std::int32_t FakeEditBlock::GetSize() {
  Call("GetSize");
  return size;
}

ComPtr<IOTAEditBlock> FakeEditView::GetBlock() {
  Call("GetBlock");
  return ComPtr<IOTAEditBlock>::Borrow(block);
}
void FakeEditView::Paint() {
  Call("Paint");
}
TOTAEditPos FakeEditView::GetCursorPos() {
  Call("GetCursorPos");
  return cursor;
}
ComPtr<IOTAEditPosition> FakeEditView::GetPosition() {
  Call("GetPosition");
  return ComPtr<IOTAEditPosition>::Borrow(position);
}

// ---- Editors and modules ----------------------------------------------------------------------

std::string FakeEditor::GetFileName() {
  Call("GetFileName");
  return fileName;
}
bool FakeEditor::GetModified() {
  Call("GetModified");
  return modified;
}
ComPtr<IOTAModule> FakeEditor::GetModule() {
  Call("GetModule");
  return ComPtr<IOTAModule>::Borrow(module);
}

std::string FakeSourceEditor::GetFileName() {
  Call("GetFileName");
  return fileName;
}
bool FakeSourceEditor::GetModified() {
  Call("GetModified");
  return modified;
}
ComPtr<IOTAModule> FakeSourceEditor::GetModule() {
  Call("GetModule");
  return ComPtr<IOTAModule>::Borrow(module);
}
ComPtr<IOTAEditView> FakeSourceEditor::GetEditView(std::int32_t index) {
  Call("GetEditView(" + std::to_string(index) + ")");
  if (index < 0 || static_cast<std::size_t>(index) >= views.size()) return {};
  return ComPtr<IOTAEditView>::Borrow(views[static_cast<std::size_t>(index)]);
}
std::int32_t FakeSourceEditor::GetEditViewCount() {
  Call("GetEditViewCount");
  return static_cast<std::int32_t>(views.size());
}
std::int32_t FakeSourceEditor::GetSubViewCount() {
  Call("GetSubViewCount");
  return static_cast<std::int32_t>(subViews.size());
}
std::int32_t FakeSourceEditor::GetSubViewIndex() {
  Call("GetSubViewIndex");
  return subViewIndex;
}
std::string FakeSourceEditor::GetSubViewIdentifier(std::int32_t index) {
  Call("GetSubViewIdentifier(" + std::to_string(index) + ")");
  return subViews.at(static_cast<std::size_t>(index));
}

ComPtr<IOTAEditor> FakeModule::GetModuleFileEditor(std::int32_t index) {
  Call("GetModuleFileEditor(" + std::to_string(index) + ")");
  if (index < 0 || static_cast<std::size_t>(index) >= fileEditors.size()) return {};
  return ComPtr<IOTAEditor>::Borrow(fileEditors[static_cast<std::size_t>(index)]);
}
std::int32_t FakeModule::GetModuleFileCount() {
  Call("GetModuleFileCount");
  return static_cast<std::int32_t>(fileEditors.size());
}
std::int32_t FakeModule::GetOwnerModuleCount() {
  Call("GetOwnerModuleCount");
  return ownerModuleCount;
}
std::string FakeModule::GetFileSystem() {
  Call("GetFileSystem");
  return fileSystem;
}
ComPtr<IOTAEditor> FakeModule::GetCurrentEditor() {
  Call("GetCurrentEditor");
  return ComPtr<IOTAEditor>::Borrow(currentEditor);
}

// ---- Keyboard ---------------------------------------------------------------------------------

bool FakeKeyBindingServices::AddKeyBinding(std::span<const TShortCut> keys, TKeyBindingProc proc,
                                           void* context, std::int32_t flags,
                                           const std::string& keyboard,
                                           const std::string& menuItemName) {
  Call("AddKeyBinding");
  calls.push_back({{keys.begin(), keys.end()}, proc, context, flags, keyboard, menuItemName});
  return answer;
}

// ---- Services ---------------------------------------------------------------------------------

ComPtr<IOTAModule> FakeServices::CurrentModule() {
  Call("CurrentModule");
  return ComPtr<IOTAModule>::Borrow(currentModule);
}
std::int32_t FakeServices::GetModuleCount() {
  Call("GetModuleCount");
  return moduleCount;
}
std::string FakeServices::GetProductIdentifier() {
  Call("GetProductIdentifier");
  return texts[0];
}
std::string FakeServices::GetLocalApplicationDataDirectory() {
  Call("GetLocalApplicationDataDirectory");
  return texts[1];
}
std::string FakeServices::GetRootDirectory() {
  Call("GetRootDirectory");
  return texts[2];
}
std::string FakeServices::GetBinDirectory() {
  Call("GetBinDirectory");
  return texts[3];
}
std::string FakeServices::GetTemplateDirectory() {
  Call("GetTemplateDirectory");
  return texts[4];
}
std::string FakeServices::GetActiveDesignerType() {
  Call("GetActiveDesignerType");
  return texts[5];
}
std::string FakeServices::GetBaseRegistryKey() {
  Call("GetBaseRegistryKey");
  return texts[6];
}
ComPtr<IOTAEditView> FakeServices::GetTopView() {
  Call("GetTopView");
  return ComPtr<IOTAEditView>::Borrow(topView);
}
std::int32_t FakeServices::AddKeyboardBinding(IOTAKeyboardBinding* keyBinding) {
  Call("AddKeyboardBinding");
  bindings.push_back(ComPtr<IOTAKeyboardBinding>::Borrow(keyBinding));
  return bindingIndex;
}
void FakeServices::RemoveKeyboardBinding(std::int32_t index) {
  Call("RemoveKeyboardBinding(" + std::to_string(index) + ")");
  if (index == bindingIndex) bindings.clear();
}

// ---- Presenter and the IDE --------------------------------------------------------------------

TModalResult RecordingPresenter::ShowModal(TForm& form) {
  std::vector<std::string> lines;
  for (TControl* control : form.Controls())
    if (const auto* memo = dynamic_cast<const TMemo*>(control)) lines = memo->Lines.Lines();
  shown.push_back({form.Caption, lines, LiveReferences()});
  if (raise) throw InjectedFault("the display failed");
  return mrCancel;
}

FakeIde::FakeIde() {
  services = Make<FakeServices>("Services");
  BorlandIDEServices = ComPtr<IBorlandIDEServices>::Borrow(services);
  Application->SetModalPresenter(&presenter);
  Application->SetExceptionHandler([this](std::exception_ptr error) {
    const ExceptionDescription d = DescribeException(error);
    faults.push_back(d.className + ": " + d.message);
  });
  log.clear();
}

FakeIde::~FakeIde() {
  Application->SetExceptionHandler({});
  Application->SetModalPresenter(nullptr);
  Application->DestroyComponents();
  BorlandIDEServices.Reset();
}

void FakeIde::SetUpSourceModule(const std::string& fileName) {
  module = Make<FakeModule>("Module");
  sourceEditor = Make<FakeSourceEditor>("SourceEditor");
  view = Make<FakeEditView>("View0");
  block = Make<FakeEditBlock>("Block0");
  position = Make<FakeEditPosition>("Position0");
  sourceEditor->fileName = fileName;
  sourceEditor->module = module;
  sourceEditor->views = {view};
  module->fileEditors = {sourceEditor};
  module->currentEditor = sourceEditor;
  view->block = block;
  view->position = position;
  services->currentModule = module;
  services->topView = view;
  log.clear();
}

void FakeIde::Record(const std::string& call) {
  log.push_back(call);
}

std::vector<std::string> FakeIde::CallsMatching(const std::string& needle) const {
  std::vector<std::string> found;
  for (const auto& entry : log)
    if (entry.find(needle) != std::string::npos) found.push_back(entry);
  return found;
}

std::size_t FakeIde::CountCalls(const std::string& call) const {
  return static_cast<std::size_t>(std::count(log.begin(), log.end(), call));
}

template class Counted<IOTAEditPosition>;
template class Counted<IOTAEditBlock>;
template class Counted<IOTAEditView>;
template class Counted<IOTAEditor>;
template class Counted<IOTASourceEditor>;
template class Counted<IOTAModule>;
template class Counted<IOTAKeyBindingServices>;
template class Counted<IOTAKeyContext>;
template class Counted<IBorlandIDEServices, IOTAModuleServices, IOTAServices, IOTAEditorServices,
                       IOTAKeyboardServices>;

}  // namespace zeb::fake
