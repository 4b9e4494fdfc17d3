#include "addin/hotkeys/BlockCommands.h"

#include <utility>

#include "api/ToolsAPI.h"
#include "runtime/IdeServices.h"
#include "runtime/SysUtils.h"

using namespace zeb;

namespace {
// The current module's first file editor as a source editor, or empty when the module services,
// the module or the source editor cannot be had.
ComPtr<IOTASourceEditor> CurrentSourceEditor() {
  ComPtr<IOTAModuleServices> moduleServices;
  if (!Supports(BorlandIDEServices, moduleServices)) return {};
  const ComPtr<IOTAModule> module = moduleServices->CurrentModule();
  if (!module) return {};
  const ComPtr<IOTAEditor> editor = module->GetModuleFileEditor(0);
  ComPtr<IOTASourceEditor> sourceEditor;
  Supports(editor, sourceEditor);
  return sourceEditor;
}
}  // namespace

std::int32_t IndentMagnitude(std::string fileName, std::int32_t direction) {
  // Tab is pressed again and again in the same file: the rule's answer for the last name asked
  // about is kept, and a press pays for one comparison of the names. Key bindings run on the
  // IDE's main thread only.
  static std::string lastName;
  static bool lastIsPascal = false;  // the answer for ""
  if (fileName != lastName) {
    lastIsPascal = ExtractFileExt(LowerCase(fileName)) == ".pas";
    lastName = std::move(fileName);
  }
  return lastIsPascal ? direction * 2 : direction * 4;
}

bool IndentBlock(std::int32_t direction) {
  const ComPtr<IOTASourceEditor> sourceEditor = CurrentSourceEditor();
  if (!sourceEditor) return false;

  const std::int32_t magnitude = IndentMagnitude(sourceEditor->GetFileName(), direction);

  // The first view stands until the editor services name the top view, which need not show the
  // file the magnitude came from.
  ComPtr<IOTAEditView> view = sourceEditor->GetEditView(0);
  if (const auto editorServices = BorlandIDEServices.As<IOTAEditorServices>())
    view = editorServices->GetTopView();
  if (!view) return false;

  {
    const ComPtr<IOTAEditBlock> block = view->GetBlock();
    if (!block || !block->GetIsValid()) return false;
  }
  // The block is fetched again for the indent rather than kept from the test above: the IDE sees
  // a GetBlock before each use of a block, and the order of the calls is part of the contract.
  {
    const ComPtr<IOTAEditBlock> block = view->GetBlock();
    if (!block) return false;
    block->Indent(magnitude);
  }
  view->Paint();
  return true;
}

void LowerCaseBlock() {
  const ComPtr<IOTASourceEditor> sourceEditor = CurrentSourceEditor();
  if (!sourceEditor) return;
  const ComPtr<IOTAEditView> view = sourceEditor->GetEditView(0);
  if (!view) return;
  const ComPtr<IOTAEditBlock> block = view->GetBlock();
  if (!block) return;
  block->LowerCase();
  view->Paint();
}
