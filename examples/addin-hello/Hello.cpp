// addin-hello: a small add-in package for the ZEB IDE.
//
// Ctrl+Alt+T shows a dialog "Hello" with the current file's name and line count, the cursor's
// position and the block's size; without an open file it passes the key on. Every step (load,
// Register, BindKeyboard, each key, unload) sends a trace message, which `zeb-trace` shows.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "api/ComPtr.h"
#include "api/Export.h"
#include "api/ToolsAPI.h"
#include "runtime/Controls.h"
#include "runtime/Forms.h"
#include "runtime/IdeServices.h"
#include "runtime/KeyCodes.h"
#include "runtime/NotifierObject.h"
#include "runtime/SysUtils.h"
#include "trace/uTrace.h"

using namespace zeb;

namespace {

// The index the IDE gave our binding, kept so that Finalize can remove it.
std::int32_t bindingIndex = -1;

std::string BaseName(const std::string& path) {
  return path.substr(path.find_last_of('/') + 1);
}

// Shows `lines` in a modal dialog, freed when the user closes it.
void ShowDialog(const std::vector<std::string>& lines) {
  const std::unique_ptr<TForm> form(CreateForm<TForm>(Application));
  form->Caption = "Hello";
  form->BorderStyle = TFormBorderStyle::bsDialog;
  form->Position = TPosition::poScreenCenter;
  form->ClientWidth = 420;
  form->ClientHeight = 120;
  auto* memo = new TMemo(form.get());  // owned by the form
  memo->Left = 8;
  memo->Top = 8;
  memo->Width = 404;
  memo->Height = 104;
  memo->ReadOnly = true;
  for (const std::string& line : lines)
    memo->Lines.Add(line);
  form->InsertControl(*memo);
  form->ShowModal();
}

class THelloBinding final : public TNotifierObject<IOTAKeyboardBinding> {
 public:
  TBindingType GetBindingType() override { return btPartial; }
  std::string GetDisplayName() override { return "Hello"; }
  std::string GetName() override { return "AddinHello"; }

  void BindKeyboard(IOTAKeyBindingServices* services) override {
    const TShortCut key = ShortCut(vkT, TShiftState::Ctrl | TShiftState::Alt);
    TRACE("hello: BindKeyboard binds 0x%x", static_cast<std::int32_t>(key));
    services->AddKeyBinding(std::span<const TShortCut>(&key, 1),
                            TKeyBindingProc::Of<&THelloBinding::SayHello>(this), nullptr, 0, "",
                            "");
  }

  // Ctrl+Alt+T: reports the top view's file, cursor and block.
  void SayHello(IOTAKeyContext*, TShortCut keyCode, TKeyBindingResult& result) {
    result = krNextProc;
    ComPtr<IOTAModuleServices> modules;
    ComPtr<IOTAModule> module;
    if (Supports(BorlandIDEServices, modules)) module = modules->CurrentModule();
    if (!module) {
      TRACE("hello: key 0x%x with no file open: passed on", static_cast<std::int32_t>(keyCode));
      return;
    }
    const ComPtr<IOTAEditView> view = BorlandIDEServices.As<IOTAEditorServices>()->GetTopView();
    const std::string file = BaseName(module->GetCurrentEditor()->GetFileName());
    const TOTAEditPos cursor = view->GetCursorPos();
    const ComPtr<IOTAEditBlock> block = view->GetBlock();
    const std::int32_t blockSize = block->GetIsValid() ? block->GetSize() : 0;
    TRACE("hello: key 0x%x in %s at %d:%d, block of %d bytes", static_cast<std::int32_t>(keyCode),
          file, cursor.Line, static_cast<std::int32_t>(cursor.Col), blockSize);
    ShowDialog({
        "File: " + file + ", " + IntToStr(view->GetPosition()->GetLastRow()) + " lines",
        "Cursor: line " + IntToStr(cursor.Line) + ", column " +
            IntToStr(static_cast<std::int32_t>(cursor.Col)),
        blockSize > 0 ? "Block: " + IntToStr(blockSize) + " bytes" : "Block: none",
    });
    result = krHandled;
  }
};

}  // namespace

// The IDE calls Initialize after loading the package, then Register, and Finalize before it
// unloads the package.
extern "C" ZEB_EXPORT void Initialize() {
  TRACE("hello: loaded");
}

extern "C" ZEB_EXPORT void Register() {
  const ComPtr<IOTAKeyboardBinding> binding = MakeCounted<THelloBinding>();
  bindingIndex = BorlandIDEServices.As<IOTAKeyboardServices>()->AddKeyboardBinding(binding.Get());
  TRACE("hello: Register added binding %d", bindingIndex);
}

extern "C" ZEB_EXPORT void Finalize() {
  ComPtr<IOTAKeyboardServices> keyboard;
  if (bindingIndex >= 0 && Supports(BorlandIDEServices, keyboard))
    keyboard->RemoveKeyboardBinding(bindingIndex);
  bindingIndex = -1;
  TRACE("hello: unloaded");
  FinalizeuTrace();  // gives the trace viewer's connection back before the code goes
}
