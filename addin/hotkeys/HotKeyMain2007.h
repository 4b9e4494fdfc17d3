// The hot-key side of the add-in: its registration with the IDE, its keyboard binding and the
// commands its keys run.
#pragma once

#include "addin/hotkeys/BlockCommands.h"
#include "addin/hotkeys/MyHotkey.h"
#include "addin/hotkeys/ShowFormInfo.h"
#include "api/Export.h"

// Called by the IDE once after it loads the package: hands one TMyHotkey to the keyboard
// services.
extern "C" ZEB_EXPORT void Register();

// Unit finalisation: removes the binding Register added, so that no key reaches the package once
// it is unloaded.
void FinalizeHotKeyMain2007();
