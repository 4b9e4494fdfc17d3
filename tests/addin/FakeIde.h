// A test double of the IDE: every object it hands out counts its live references, every call is
// recorded with its arguments, and each query, checked cast and result can be made to fail, raise
// or come back empty. A FakeIde owns all its objects; they refer to one another without owning.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "api/ToolsAPI.h"
#include "runtime/Forms.h"
#include "runtime/InterfacedObject.h"

namespace zeb::fake {

class FakeIde;

// The references held on all fake objects right now, summed over the objects.
std::int64_t LiveReferences();

// The base of every fake: counts references globally and records calls in the IDE's log. A call
// named in the IDE's raise list throws instead of answering.
template <class... Interfaces>
class Counted : public TInterfacedObject<Interfaces...> {
 public:
  Counted(FakeIde& ide, std::string name) : ide_(ide), name_(std::move(name)) {}

  std::int32_t AddRef() override;
  std::int32_t Release() override;
  HRESULT QueryInterface(const TGUID& iid, void** obj) override;

  const std::string& ObjectName() const { return name_; }

 protected:
  // Records "Name.call" and raises when the test asked for it.
  void Call(const std::string& call) const;
  FakeIde& ide_;

 private:
  std::string name_;
};

class FakeModule;
class FakeSourceEditor;
class FakeEditView;

class FakeEditPosition final : public Counted<IOTAEditPosition> {
 public:
  using Counted::Counted;
  std::int32_t GetColumn() override;
  std::int32_t GetRow() override;
  std::int32_t GetLastRow() override;

  std::int32_t column = 1, row = 1, lastRow = 1;
};

class FakeEditBlock final : public Counted<IOTAEditBlock> {
 public:
  using Counted::Counted;
  bool GetIsValid() override;
  void Indent(std::int32_t magnitude) override;
  void LowerCase() override;
  std::int32_t GetSize() override;

  bool valid = false;
  std::int32_t size = 0;
};

class FakeEditView final : public Counted<IOTAEditView> {
 public:
  using Counted::Counted;
  ComPtr<IOTAEditBlock> GetBlock() override;
  void Paint() override;
  TOTAEditPos GetCursorPos() override;
  ComPtr<IOTAEditPosition> GetPosition() override;

  FakeEditBlock* block = nullptr;
  FakeEditPosition* position = nullptr;
  TOTAEditPos cursor{1, 1};
};

class FakeEditor : public Counted<IOTAEditor> {
 public:
  using Counted::Counted;
  std::string GetFileName() override;
  bool GetModified() override;
  ComPtr<IOTAModule> GetModule() override;

  std::string fileName;
  bool modified = false;
  FakeModule* module = nullptr;
};

class FakeSourceEditor final : public Counted<IOTASourceEditor> {
 public:
  using Counted::Counted;
  std::string GetFileName() override;
  bool GetModified() override;
  ComPtr<IOTAModule> GetModule() override;
  ComPtr<IOTAEditView> GetEditView(std::int32_t index) override;
  std::int32_t GetEditViewCount() override;
  std::int32_t GetSubViewCount() override;
  std::int32_t GetSubViewIndex() override;
  std::string GetSubViewIdentifier(std::int32_t index) override;

  std::string fileName;
  bool modified = false;
  FakeModule* module = nullptr;
  std::vector<FakeEditView*> views;
  std::vector<std::string> subViews;
  std::int32_t subViewIndex = 0;
};

class FakeModule final : public Counted<IOTAModule> {
 public:
  using Counted::Counted;
  ComPtr<IOTAEditor> GetModuleFileEditor(std::int32_t index) override;
  std::int32_t GetModuleFileCount() override;
  std::int32_t GetOwnerModuleCount() override;
  std::string GetFileSystem() override;
  ComPtr<IOTAEditor> GetCurrentEditor() override;

  std::vector<IOTAEditor*> fileEditors;
  IOTAEditor* currentEditor = nullptr;
  std::int32_t ownerModuleCount = 0;
  std::string fileSystem;
};

// A keyboard-binding call as the IDE saw it.
struct KeyBindingCall {
  std::vector<TShortCut> keys;
  TKeyBindingProc proc;
  void* context;
  std::int32_t flags;
  std::string keyboard;
  std::string menuItemName;
};

class FakeKeyBindingServices final : public Counted<IOTAKeyBindingServices> {
 public:
  using Counted::Counted;
  bool AddKeyBinding(std::span<const TShortCut> keys, TKeyBindingProc proc, void* context,
                     std::int32_t flags, const std::string& keyboard,
                     const std::string& menuItemName) override;

  bool answer = true;
  std::vector<KeyBindingCall> calls;
};

class FakeKeyContext final : public Counted<IOTAKeyContext> {
 public:
  using Counted::Counted;
};

// The global service provider and the four services, all one object as in the IDE.
class FakeServices final : public Counted<IBorlandIDEServices, IOTAModuleServices, IOTAServices,
                                          IOTAEditorServices, IOTAKeyboardServices> {
 public:
  using Counted::Counted;
  // IOTAModuleServices
  ComPtr<IOTAModule> CurrentModule() override;
  std::int32_t GetModuleCount() override;
  // IOTAServices
  std::string GetProductIdentifier() override;
  std::string GetLocalApplicationDataDirectory() override;
  std::string GetRootDirectory() override;
  std::string GetBinDirectory() override;
  std::string GetTemplateDirectory() override;
  std::string GetActiveDesignerType() override;
  std::string GetBaseRegistryKey() override;
  // IOTAEditorServices
  ComPtr<IOTAEditView> GetTopView() override;
  // IOTAKeyboardServices
  std::int32_t AddKeyboardBinding(IOTAKeyboardBinding* keyBinding) override;
  void RemoveKeyboardBinding(std::int32_t index) override;

  FakeModule* currentModule = nullptr;
  std::int32_t moduleCount = 1;
  FakeEditView* topView = nullptr;
  std::vector<std::string> texts = std::vector<std::string>(7);  // the seven IOTAServices texts
  std::int32_t bindingIndex = 7;
  std::vector<ComPtr<IOTAKeyboardBinding>> bindings;
};

// Shows forms by recording what a user would see; a test can make the display raise.
class RecordingPresenter final : public IModalPresenter {
 public:
  TModalResult ShowModal(TForm& form) override;

  struct Shown {
    std::string caption;
    std::vector<std::string> lines;
    std::int64_t liveReferencesDuringDisplay;
  };
  std::vector<Shown> shown;
  bool raise = false;
};

class FakeIde {
 public:
  FakeIde();
  ~FakeIde();
  FakeIde(const FakeIde&) = delete;
  FakeIde& operator=(const FakeIde&) = delete;

  // Builds objects owned by this IDE.
  template <class T>
  T* Make(const std::string& name) {
    auto object = MakeCounted<T>(*this, name);
    T* raw = object.Get();
    owned_.push_back(ComPtr<IInterface>(object.template TryAs<IInterface>()));
    return raw;
  }

  // A module whose first file editor is a source editor for `fileName`, whose current editor
  // is that editor, with one view whose block is `block`; the view is also the top view. Setting
  // up leaves the call log empty.
  void SetUpSourceModule(const std::string& fileName);

  void Record(const std::string& call);
  bool ShouldRaise(const std::string& call) const { return raiseOn.count(call) != 0; }
  std::vector<std::string> CallsMatching(const std::string& needle) const;
  std::size_t CountCalls(const std::string& call) const;

  FakeServices* services;
  // Set up by SetUpSourceModule.
  FakeModule* module = nullptr;
  FakeSourceEditor* sourceEditor = nullptr;
  FakeEditView* view = nullptr;
  FakeEditBlock* block = nullptr;
  FakeEditPosition* position = nullptr;

  std::vector<std::string> log;
  std::set<std::string> raiseOn;         // calls that throw
  std::set<std::string> refusedQueries;  // interface names the services object refuses
  RecordingPresenter presenter;
  std::vector<std::string> faults;  // exceptions the application object reported

 private:
  std::vector<ComPtr<IInterface>> owned_;
};

// The exception a fake raises on request.
class InjectedFault : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace zeb::fake
