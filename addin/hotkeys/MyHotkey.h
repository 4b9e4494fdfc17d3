// TMyHotkey: the add-in's keyboard binding. It binds Tab, Shift+Tab and Ctrl+Alt+U to HandleKey,
// which runs a block command or the information dialog and tells the IDE whether the key was
// consumed.
#pragma once

#include <string>

#include "api/ToolsAPI.h"
#include "runtime/NotifierObject.h"

class TMyHotkey final : public zeb::TNotifierObject<zeb::IOTAKeyboardBinding> {
 public:
  zeb::TBindingType GetBindingType() override;
  std::string GetDisplayName() override;
  std::string GetName() override;
  void BindKeyboard(zeb::IOTAKeyBindingServices* bindingServices) override;

  // The key procedure. Answers krHandled when a command consumed the key, krNextProc otherwise;
  // an exception from a command leaves krNextProc in place and reaches the IDE.
  void HandleKey(zeb::IOTAKeyContext* context, zeb::TShortCut keyCode,
                 zeb::TKeyBindingResult& bindingResult);
};
