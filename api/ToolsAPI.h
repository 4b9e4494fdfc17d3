// The IDE's interfaces that the add-in is written against. Declarations only: the IDE host
// implements them, the add-in calls them. Slot order is the order of declaration.
//
// Reaching them: BorlandIDEServices (runtime/IdeServices.h) answers IOTAModuleServices,
// IOTAEditorServices, IOTAKeyboardServices and IOTAServices (query with Supports or TryAs, or
// cast with As, which raises EIntfCastError when the object lacks the interface); the other
// interfaces come from their methods. Every reference is counted: hold it in a ComPtr, and
// release everything before Finalize returns (the IDE reports, per package, the references a
// package still holds then). The IDE calls add-ins on one thread, one call at a time.
//
// Places: lines and columns count from 1; a column counts bytes, not characters (a tab is one
// byte, "é" in UTF-8 two). The editing extension (ZebEditorAPI.h) reads and changes text and
// sets the cursor and the block.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "api/ComPtr.h"
#include "api/Interface.h"
#include "api/KeyTypes.h"

namespace zeb {

struct IOTAModule;
struct IOTAEditor;
struct IOTAEditView;
struct IOTAEditBlock;
struct IOTAEditPosition;
struct IOTAKeyBindingServices;

// The global service provider: yields the service interfaces below by query.
struct IBorlandIDEServices : IInterface {
  static constexpr TGUID IID = MakeGUID("{B46C1EE4-2EB1-4B1F-B2C2-FCB9EDD42D84}");
  static constexpr const char* Name = "IBorlandIDEServices";
  using Inherited = IInterface;

 protected:
  ~IBorlandIDEServices() = default;
};

// ---- Notifiers and key binding -------------------------------------------------------------

// The base of objects the IDE calls back. The IDE never calls these four on a keyboard
// binding; TNotifierObject (runtime/NotifierObject.h) implements them as doing nothing.
struct IOTANotifier : IInterface {
  static constexpr TGUID IID = MakeGUID("{70305B5B-F9EC-43A2-99CE-627312D7608F}");
  static constexpr const char* Name = "IOTANotifier";
  using Inherited = IInterface;

  virtual void AfterSave() = 0;
  virtual void BeforeSave() = 0;
  virtual void Destroyed() = 0;
  virtual void Modified() = 0;

 protected:
  ~IOTANotifier() = default;
};

// Handed to a key procedure; describes where the key was pressed.
struct IOTAKeyContext : IInterface {
  static constexpr TGUID IID = MakeGUID("{D5502EEF-CAFC-4AF9-A566-083F2ECC952A}");
  static constexpr const char* Name = "IOTAKeyContext";
  using Inherited = IInterface;

 protected:
  ~IOTAKeyContext() = default;
};

// What the IDE hands to a binding while it builds its key map.
struct IOTAKeyBindingServices : IInterface {
  static constexpr TGUID IID = MakeGUID("{A697A756-44A7-41A4-9401-D8E289A02802}");
  static constexpr const char* Name = "IOTAKeyBindingServices";
  using Inherited = IInterface;

  // Binds the key sequence `keys` (usually one key code; a longer sequence is pressed key after
  // key) to `proc`, in binding order: the bindings' order of AddKeyboardBinding, which is the
  // packages' load order, then the order of the calls. `context` is kept with the binding and
  // not used by this IDE; `flags` is a mask of kfImplicitShift, kfImplicitModifier and
  // kfImplicitKeypad (README, Key routing). `keyboard` names a keymap (this IDE has one and
  // ignores it; pass ""); `menuItemName` names a menu item whose shortcut the key is (none here;
  // pass ""). Both are kept.
  //
  // True when the key is bound and this package is the first to hold it. False when nothing
  // was bound (no keys, no procedure, or the key map has been built: services kept past
  // BindKeyboard accept nothing), and when another package already holds the same sequence:
  // then the binding is still added after the holder's, and reaches the key only when the
  // holder's procedure passes it on (krNextProc); the IDE warns naming both packages, and
  // zeb-host --strict makes it an error.
  virtual bool AddKeyBinding(std::span<const TShortCut> keys, TKeyBindingProc proc, void* context,
                             std::int32_t flags, const std::string& keyboard,
                             const std::string& menuItemName) = 0;

 protected:
  ~IOTAKeyBindingServices() = default;
};

// Implemented by an add-in and handed to IOTAKeyboardServices::AddKeyboardBinding.
struct IOTAKeyboardBinding : IOTANotifier {
  static constexpr TGUID IID = MakeGUID("{F8CAF8D7-D263-11D2-ABD8-00C04FB16FB3}");
  static constexpr const char* Name = "IOTAKeyboardBinding";
  using Inherited = IOTANotifier;

  // btPartial: the binding adds keys to the keymap in use; btComplete: it is a whole keymap
  // of its own, which an IDE with several keymaps would offer to choose. This IDE has one
  // keymap and binds both kinds alike.
  virtual TBindingType GetBindingType() = 0;
  // The name users see; GetName is the name faults and warnings give ("binding NAME").
  virtual std::string GetDisplayName() = 0;
  virtual std::string GetName() = 0;
  // Called each time the IDE builds its key map (after bindings were added or removed, before
  // the next key press): bind every key with `bindingServices`, which is valid for this call
  // only.
  virtual void BindKeyboard(IOTAKeyBindingServices* bindingServices) = 0;

 protected:
  ~IOTAKeyboardBinding() = default;
};

struct IOTAKeyboardServices : IInterface {
  static constexpr TGUID IID = MakeGUID("{F8CAF8D5-D263-11D2-ABD8-00C04FB16FB3}");
  static constexpr const char* Name = "IOTAKeyboardServices";
  using Inherited = IInterface;

  // Keeps the binding (a counted reference) and returns its index, from 0, or -1 for null; the
  // binding binds its keys when the key map is next built. A binding belongs to the package
  // whose Register (or other code) added it, and goes when that package unloads.
  virtual std::int32_t AddKeyboardBinding(IOTAKeyboardBinding* keyBinding) = 0;
  // Drops the binding that AddKeyboardBinding returned `index` for; unknown indexes are ignored.
  virtual void RemoveKeyboardBinding(std::int32_t index) = 0;

 protected:
  ~IOTAKeyboardServices() = default;
};

// ---- General services -----------------------------------------------------------------------

// What the IDE says about itself. Folders end with the folder separator. Each raises
// EInvalidOperation once the IDE is gone (a reference kept past Finalize).
struct IOTAServices : IInterface {
  static constexpr TGUID IID = MakeGUID("{17A48937-2C9C-4543-AB6D-2CF13BAE544B}");
  static constexpr const char* Name = "IOTAServices";
  using Inherited = IInterface;

  // "ZebIDE".
  virtual std::string GetProductIdentifier() = 0;
  // The user's data folder of the IDE ($XDG_DATA_HOME/zeb-ide/, %LOCALAPPDATA%\zeb-ide\).
  virtual std::string GetLocalApplicationDataDirectory() = 0;
  // The installation's folder, and its bin/ folder.
  virtual std::string GetRootDirectory() = 0;
  virtual std::string GetBinDirectory() = 0;
  // The user's templates folder, under the data folder.
  virtual std::string GetTemplateDirectory() = 0;
  // The designer the current module's form file needs: "VCL" (.dfm, .nfm), "CLX" (.xfm), or
  // empty without a form file or a module.
  virtual std::string GetActiveDesignerType() = 0;
  // Where the IDE keeps its settings: a folder here ($XDG_CONFIG_HOME/zeb-ide/,
  // %APPDATA%\zeb-ide\), not a registry key.
  virtual std::string GetBaseRegistryKey() = 0;

 protected:
  ~IOTAServices() = default;
};

// ---- Modules and editors --------------------------------------------------------------------

struct IOTAModuleServices : IInterface {
  static constexpr TGUID IID = MakeGUID("{55A5E848-27FB-4880-8E7C-7F05A9802482}");
  static constexpr const char* Name = "IOTAModuleServices";
  using Inherited = IInterface;

  // The module of the top view (IOTAEditorServices::GetTopView); null when no file is open.
  virtual ComPtr<IOTAModule> CurrentModule() = 0;
  // The open modules; IZebModuleServices::GetModule reaches each by index.
  virtual std::int32_t GetModuleCount() = 0;

 protected:
  ~IOTAModuleServices() = default;
};

// A source file with its companions (README, zeb-host: Unit1.pas with Unit1.dfm, Main.cpp with
// Main.h). A module the IDE has closed stays usable while it is held, answering as before.
struct IOTAModule : IInterface {
  static constexpr TGUID IID = MakeGUID("{8C28B838-4779-4D88-80B1-ACAA085B2E22}");
  static constexpr const char* Name = "IOTAModule";
  using Inherited = IInterface;

  // The editor of file `index`: 0 is the source file, the companions follow in name order;
  // null outside 0 to GetModuleFileCount() - 1. Query it for IOTASourceEditor, and for
  // IZebEditBuffer to read and change its text.
  virtual ComPtr<IOTAEditor> GetModuleFileEditor(std::int32_t index) = 0;
  virtual std::int32_t GetModuleFileCount() = 0;
  // Modules belong to no project here: always 0.
  virtual std::int32_t GetOwnerModuleCount() = 0;
  // The ordinary file system, whose name is empty.
  virtual std::string GetFileSystem() = 0;
  // The editor of the file the module's view active last shows, else of the source file.
  virtual ComPtr<IOTAEditor> GetCurrentEditor() = 0;

 protected:
  ~IOTAModule() = default;
};

// One file of a module. Every file the IDE opens is a source editor (query for
// IOTASourceEditor), form files too.
struct IOTAEditor : IInterface {
  static constexpr TGUID IID = MakeGUID("{51680E44-0D2C-4CC8-AC91-397D54B3FAF0}");
  static constexpr const char* Name = "IOTAEditor";
  using Inherited = IInterface;

  // The full, normalised path (UTF-8).
  virtual std::string GetFileName() = 0;
  // Whether the text differs from the file as last saved (undoing back to it clears it).
  virtual bool GetModified() = 0;
  virtual ComPtr<IOTAModule> GetModule() = 0;

 protected:
  ~IOTAEditor() = default;
};

struct IOTASourceEditor : IOTAEditor {
  static constexpr TGUID IID = MakeGUID("{5D965803-8147-4D32-B8C5-712F6DDCF98E}");
  static constexpr const char* Name = "IOTASourceEditor";
  using Inherited = IOTAEditor;

  // The views of this file in the order they were opened (a split adds one); null outside 0 to
  // GetEditViewCount() - 1. A file of the module that is not shown has none.
  virtual ComPtr<IOTAEditView> GetEditView(std::int32_t index) = 0;
  virtual std::int32_t GetEditViewCount() = 0;
  // The sub-views are the module's files, as the editor's tabs of one module: their count, the
  // index of the one shown last, and the file name (without its folder) of sub-view `index`,
  // empty outside them.
  virtual std::int32_t GetSubViewCount() = 0;
  virtual std::int32_t GetSubViewIndex() = 0;
  virtual std::string GetSubViewIdentifier(std::int32_t index) = 0;

 protected:
  ~IOTASourceEditor() = default;
};

// ---- Views, blocks, positions ---------------------------------------------------------------

struct IOTAEditorServices : IInterface {
  static constexpr TGUID IID = MakeGUID("{BE733055-5ED8-45B4-BAB1-19C46C237408}");
  static constexpr const char* Name = "IOTAEditorServices";
  using Inherited = IInterface;

  // The edit view the user acted in last (the one a key press happens in); null when no file
  // is open.
  virtual ComPtr<IOTAEditView> GetTopView() = 0;

 protected:
  ~IOTAEditorServices() = default;
};

// A view of a file, with its cursor and its block (a stream selection). Query it for
// IZebEditView to read the block's ends and set the cursor and the block.
struct IOTAEditView : IInterface {
  static constexpr TGUID IID = MakeGUID("{35630CDC-293A-40EA-B453-1120EDFAD746}");
  static constexpr const char* Name = "IOTAEditView";
  using Inherited = IInterface;

  // The view's block, never null; without a selection its GetIsValid is false.
  virtual ComPtr<IOTAEditBlock> GetBlock() = 0;
  // Draws the view again (the IDE draws changes by itself; this is for an add-in's own marks).
  virtual void Paint() = 0;
  // The cursor. Its column is 16-bit by the record's definition (TOTAEditPos): a column past
  // 32767 reads as 32767. GetPosition()->GetColumn() and IZebEditView::GetCursor give the whole
  // column.
  virtual TOTAEditPos GetCursorPos() = 0;
  virtual ComPtr<IOTAEditPosition> GetPosition() = 0;

 protected:
  ~IOTAEditView() = default;
};

struct IOTAEditBlock : IInterface {
  static constexpr TGUID IID = MakeGUID("{F86ACFDE-08BF-48F9-8D0E-4FDC9051CE4B}");
  static constexpr const char* Name = "IOTAEditBlock";
  using Inherited = IInterface;

  // Whether there is a block: a selection of at least one byte.
  virtual bool GetIsValid() = 0;
  // Indents every line of the block by `magnitude` columns (spaces put before each line that
  // has text); a negative magnitude unindents, taking away up to that many columns of leading
  // blanks and tabs. The block's lines run from its first to its last, leaving out a last line
  // where the block ends at column 1; afterwards the block covers the same lines. One undo
  // step. Nothing happens without a block; EInvalidOperation past 4096 columns either way.
  virtual void Indent(std::int32_t magnitude) = 0;
  // Lower-cases the ASCII letters inside the block, one undo step; other bytes stay.
  virtual void LowerCase() = 0;
  // The block's size in bytes, line ends included; 0 without a block, 2147483647 at most.
  virtual std::int32_t GetSize() = 0;

 protected:
  ~IOTAEditBlock() = default;
};

struct IOTAEditPosition : IInterface {
  static constexpr TGUID IID = MakeGUID("{BF8F7728-6057-4001-90C9-6C32274A841B}");
  static constexpr const char* Name = "IOTAEditPosition";
  using Inherited = IInterface;

  // The cursor's column (32-bit, in bytes) and row.
  virtual std::int32_t GetColumn() = 0;
  virtual std::int32_t GetRow() = 0;
  // The number of the text's last row. A file that ends with a line feed has an empty last
  // row after it: "a\nb\n" has 3 rows; an empty file has 1.
  virtual std::int32_t GetLastRow() = 0;

 protected:
  ~IOTAEditPosition() = default;
};

}  // namespace zeb
