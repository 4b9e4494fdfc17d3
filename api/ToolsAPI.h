// The IDE's interfaces that the add-in is written against. Declarations only: the IDE host
// implements them, the add-in calls them. Slot order is the order of declaration.
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

  // Binds the key sequence `keys` to `proc`. `context` is passed back untouched; `flags` is a
  // mask of kfImplicitShift, kfImplicitModifier and kfImplicitKeypad.
  virtual bool AddKeyBinding(std::span<const TShortCut> keys, TKeyBindingProc proc, void* context,
                             std::int32_t flags, const std::string& keyboard,
                             const std::string& menuItemName) = 0;

 protected:
  ~IOTAKeyBindingServices() = default;
};

struct IOTAKeyboardBinding : IOTANotifier {
  static constexpr TGUID IID = MakeGUID("{F8CAF8D7-D263-11D2-ABD8-00C04FB16FB3}");
  static constexpr const char* Name = "IOTAKeyboardBinding";
  using Inherited = IOTANotifier;

  virtual TBindingType GetBindingType() = 0;
  virtual std::string GetDisplayName() = 0;
  virtual std::string GetName() = 0;
  virtual void BindKeyboard(IOTAKeyBindingServices* bindingServices) = 0;

 protected:
  ~IOTAKeyboardBinding() = default;
};

struct IOTAKeyboardServices : IInterface {
  static constexpr TGUID IID = MakeGUID("{F8CAF8D5-D263-11D2-ABD8-00C04FB16FB3}");
  static constexpr const char* Name = "IOTAKeyboardServices";
  using Inherited = IInterface;

  // Keeps the binding and returns its index; the binding binds its keys when the key map is
  // built.
  virtual std::int32_t AddKeyboardBinding(IOTAKeyboardBinding* keyBinding) = 0;
  // Drops the binding that AddKeyboardBinding returned `index` for; unknown indexes are ignored.
  virtual void RemoveKeyboardBinding(std::int32_t index) = 0;

 protected:
  ~IOTAKeyboardServices() = default;
};

// ---- General services -----------------------------------------------------------------------

struct IOTAServices : IInterface {
  static constexpr TGUID IID = MakeGUID("{17A48937-2C9C-4543-AB6D-2CF13BAE544B}");
  static constexpr const char* Name = "IOTAServices";
  using Inherited = IInterface;

  virtual std::string GetProductIdentifier() = 0;
  virtual std::string GetLocalApplicationDataDirectory() = 0;
  virtual std::string GetRootDirectory() = 0;
  virtual std::string GetBinDirectory() = 0;
  virtual std::string GetTemplateDirectory() = 0;
  virtual std::string GetActiveDesignerType() = 0;
  virtual std::string GetBaseRegistryKey() = 0;

 protected:
  ~IOTAServices() = default;
};

// ---- Modules and editors --------------------------------------------------------------------

struct IOTAModuleServices : IInterface {
  static constexpr TGUID IID = MakeGUID("{55A5E848-27FB-4880-8E7C-7F05A9802482}");
  static constexpr const char* Name = "IOTAModuleServices";
  using Inherited = IInterface;

  virtual ComPtr<IOTAModule> CurrentModule() = 0;
  virtual std::int32_t GetModuleCount() = 0;

 protected:
  ~IOTAModuleServices() = default;
};

struct IOTAModule : IInterface {
  static constexpr TGUID IID = MakeGUID("{8C28B838-4779-4D88-80B1-ACAA085B2E22}");
  static constexpr const char* Name = "IOTAModule";
  using Inherited = IInterface;

  virtual ComPtr<IOTAEditor> GetModuleFileEditor(std::int32_t index) = 0;
  virtual std::int32_t GetModuleFileCount() = 0;
  virtual std::int32_t GetOwnerModuleCount() = 0;
  virtual std::string GetFileSystem() = 0;
  virtual ComPtr<IOTAEditor> GetCurrentEditor() = 0;

 protected:
  ~IOTAModule() = default;
};

struct IOTAEditor : IInterface {
  static constexpr TGUID IID = MakeGUID("{51680E44-0D2C-4CC8-AC91-397D54B3FAF0}");
  static constexpr const char* Name = "IOTAEditor";
  using Inherited = IInterface;

  virtual std::string GetFileName() = 0;
  virtual bool GetModified() = 0;
  virtual ComPtr<IOTAModule> GetModule() = 0;

 protected:
  ~IOTAEditor() = default;
};

struct IOTASourceEditor : IOTAEditor {
  static constexpr TGUID IID = MakeGUID("{5D965803-8147-4D32-B8C5-712F6DDCF98E}");
  static constexpr const char* Name = "IOTASourceEditor";
  using Inherited = IOTAEditor;

  virtual ComPtr<IOTAEditView> GetEditView(std::int32_t index) = 0;
  virtual std::int32_t GetEditViewCount() = 0;
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

  // The edit view the user acted in last.
  virtual ComPtr<IOTAEditView> GetTopView() = 0;

 protected:
  ~IOTAEditorServices() = default;
};

struct IOTAEditView : IInterface {
  static constexpr TGUID IID = MakeGUID("{35630CDC-293A-40EA-B453-1120EDFAD746}");
  static constexpr const char* Name = "IOTAEditView";
  using Inherited = IInterface;

  virtual ComPtr<IOTAEditBlock> GetBlock() = 0;
  virtual void Paint() = 0;
  virtual TOTAEditPos GetCursorPos() = 0;
  virtual ComPtr<IOTAEditPosition> GetPosition() = 0;

 protected:
  ~IOTAEditView() = default;
};

struct IOTAEditBlock : IInterface {
  static constexpr TGUID IID = MakeGUID("{F86ACFDE-08BF-48F9-8D0E-4FDC9051CE4B}");
  static constexpr const char* Name = "IOTAEditBlock";
  using Inherited = IInterface;

  virtual bool GetIsValid() = 0;
  // Indents every line of the block by `magnitude` columns; a negative magnitude unindents.
  virtual void Indent(std::int32_t magnitude) = 0;
  virtual void LowerCase() = 0;
  virtual std::int32_t GetSize() = 0;

 protected:
  ~IOTAEditBlock() = default;
};

struct IOTAEditPosition : IInterface {
  static constexpr TGUID IID = MakeGUID("{BF8F7728-6057-4001-90C9-6C32274A841B}");
  static constexpr const char* Name = "IOTAEditPosition";
  using Inherited = IInterface;

  virtual std::int32_t GetColumn() = 0;
  virtual std::int32_t GetRow() = 0;
  virtual std::int32_t GetLastRow() = 0;

 protected:
  ~IOTAEditPosition() = default;
};

}  // namespace zeb
