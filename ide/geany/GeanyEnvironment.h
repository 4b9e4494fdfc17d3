// GeanyEnvironment: what the Geany bridge reports about itself to add-ins (their general
// services), and where it loads packages from.
//
// The bridge belongs to an installation of the ZEB IDE: the plugin's file lies in Geany's plugin
// folder under the installation's prefix (PREFIX/lib/x86_64-linux-gnu/geany/zeb-geany.so), and the
// build tree is laid out the same way, so the installation's bin/ folder is found from the
// plugin's own folder by a fixed relative path (fixed by the build). From there on the folders
// are zeb-host's: the root above bin/, the system packages folder PREFIX/lib/zeb-ide/packages/,
// then the user's $XDG_DATA_HOME/zeb-ide/packages/, in that order.
//
// What belongs to the IDE the add-in runs in is Geany's: the settings folder (where another IDE
// keeps its registry key) is Geany's configuration folder, the templates are Geany's, and the
// local application data folder is the plugin's own folder in Geany's configuration
// (CONFIG/plugins/zeb-geany/), where Geany wants plugins to keep their files.
#pragma once

#include <string>

#include "ide/core/IdeEnvironment.h"

namespace zeb {

// `pluginFile`: the plugin's own file; `configDirectory`: Geany's configuration folder.
IdeEnvironment GeanyEnvironment(const std::string& pluginFile, const std::string& configDirectory);

// The file of the shared library this code was loaded from (the plugin), or "" when unknown.
std::string PluginFile();

}  // namespace zeb
