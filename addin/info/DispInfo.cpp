// The report of the information dialog. Every value is fetched just before its line is added,
// and each line goes into the memo at once, so a failure part-way keeps the lines before it.
//
// The IDE may hand back no object where one is expected (no current module, no top view, ...):
// the report then ends quietly at that line, keeping the lines so far.
#include "addin/info/Form_Info.h"
#include "api/ToolsAPI.h"
#include "runtime/IdeServices.h"

using namespace zeb;

void TFormInfo::DispInfo() {
  ComPtr<IOTAModuleServices> moduleServices;
  if (!Supports(BorlandIDEServices, moduleServices)) return;

  // The current module, which the "CurrentModule" lines read.
  const ComPtr<IOTAModule> module = moduleServices->CurrentModule();
  if (!module) return;

  // The current module's first file editor as a source editor, which the "SourceEditor" lines
  // read. It is reached afresh from a second CurrentModule, not from `module`.
  ComPtr<IOTASourceEditor> sourceEditor;
  {
    const ComPtr<IOTAModule> current = moduleServices->CurrentModule();
    if (!current) return;
    const ComPtr<IOTAEditor> editor = current->GetModuleFileEditor(0);
    if (!Supports(editor, sourceEditor)) return;
  }

  const auto services = BorlandIDEServices.As<IOTAServices>();
  if (!services) return;

  add("IOTAServices.GetProductIdentifier", services->GetProductIdentifier());
  add("IOTAServices.GetLocalApplicationDataDirectory",
      services->GetLocalApplicationDataDirectory());
  add("IOTAServices.GetRootDirectory", services->GetRootDirectory());
  add("IOTAServices.GetBinDirectory", services->GetBinDirectory());
  add("IOTAServices.GetTemplateDirectory", services->GetTemplateDirectory());
  add("IOTAServices.GetActiveDesignerType", services->GetActiveDesignerType());
  add("IOTAServices.GetBaseRegistryKey", services->GetBaseRegistryKey());
  add("ModuleServices.ModuleCount", moduleServices->GetModuleCount());
  add("CurrentModule.ModuleFileCount", module->GetModuleFileCount());
  add("CurrentModule.OwnerModuleCount", module->GetOwnerModuleCount());
  add("CurrentModule.FileSystem", module->GetFileSystem());

  // The module's current editor (not necessarily its first file), for the "CurrentModule.Editor"
  // lines.
  const ComPtr<IOTAEditor> editor = module->GetCurrentEditor();
  if (!editor) return;
  add("CurrentModule.Editor.FileName", editor->GetFileName());
  add("CurrentModule.Editor.Modified", editor->GetModified());

  // The module the current editor says it belongs to, for the "Editor.Module" lines: asked of
  // the editor rather than assumed to be `module`.
  const ComPtr<IOTAModule> editorModule = editor->GetModule();
  if (!editorModule) return;
  add("Editor.Module.ModuleFileCount", editorModule->GetModuleFileCount());
  add("Editor.Module.OwnerModuleCount", editorModule->GetOwnerModuleCount());
  add("Editor.Module.FileSystem", editorModule->GetFileSystem());

  add("SourceEditor.Filename", sourceEditor->GetFileName());
  add("SourceEditor.EditViewCount", sourceEditor->GetEditViewCount());
  const std::int32_t subViewCount = sourceEditor->GetSubViewCount();
  add("SourceEditor.SubViewCount", subViewCount);
  for (std::int32_t i = 0; i < subViewCount; ++i)
    add("SubViewIdentifier", sourceEditor->GetSubViewIdentifier(i));
  add("SourceEditor.GetSubViewIndex", sourceEditor->GetSubViewIndex());

  const auto editorServices = BorlandIDEServices.As<IOTAEditorServices>();
  if (!editorServices) return;
  // The IDE's top view: the block and cursor lines read it, although the block lines are
  // labelled "EditView 0". Its block is taken anew for each of its two lines.
  const ComPtr<IOTAEditView> view = editorServices->GetTopView();
  if (!view) return;
  {
    const ComPtr<IOTAEditBlock> block = view->GetBlock();
    if (!block) return;
    add("EditView 0.Block.Size", block->GetSize());
  }
  {
    const ComPtr<IOTAEditBlock> block = view->GetBlock();
    if (!block) return;
    add("EditView 0.Block.IsValid", block->GetIsValid());
  }
  const TOTAEditPos cursor = view->GetCursorPos();
  add("EditView.CursorPos.Col", static_cast<std::int32_t>(cursor.Col));
  add("EditView.CursorPos.Line", cursor.Line);

  // The top view's edit position, for the last three lines.
  const ComPtr<IOTAEditPosition> position = view->GetPosition();
  if (!position) return;
  add("EditView.Position.Column", position->GetColumn());
  add("EditView.Position.Row", position->GetRow());
  add("EditView.Position.LastRow", position->GetLastRow());
}
