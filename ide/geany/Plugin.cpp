// zeb-geany: the Geany plugin's entry points. Geany loads the plugin, reads its Plugin Manager
// entry and, when the user enables it, calls Init; Cleanup when it is disabled or Geany quits.
// The bridge (GeanyBridge) lives in between. Nothing thrown may cross into Geany's C code.
#include <geanyplugin.h>

#include <memory>

#include "ide/geany/GeanyBridge.h"
#include "runtime/Exceptions.h"

namespace {

std::unique_ptr<zeb::GeanyBridge> bridge;

gboolean Init(GeanyPlugin* plugin, gpointer) {
  try {
    bridge = std::make_unique<zeb::GeanyBridge>(*plugin);
    return TRUE;
  } catch (...) {
    const zeb::ExceptionDescription d = zeb::DescribeException(std::current_exception());
    const std::string text = "zeb-geany: cannot start: " + d.className + ": " + d.message;
    msgwin_msg_add_string(COLOR_RED, -1, nullptr, text.c_str());
    return FALSE;
  }
}

void Cleanup(GeanyPlugin*, gpointer) {
  bridge.reset();
}

}  // namespace

extern "C" G_MODULE_EXPORT void geany_load_module(GeanyPlugin* plugin) {
  plugin->info->name = "ZEB IDE Add-ins";
  plugin->info->description =
      "Runs ZEB IDE add-in packages inside Geany, the same files zeb-host loads: their keys in "
      "the editor, their dialogs, their traces";
  plugin->info->version = ZEB_VERSION;
  plugin->info->author = "ZEB IDE developers <zeb-ide@example.org>";
  plugin->funcs->init = Init;
  plugin->funcs->cleanup = Cleanup;
  // The "key-press" signal came with API 237.
  GEANY_PLUGIN_REGISTER(plugin, 237);
}
