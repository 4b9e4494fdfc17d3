#include "ide/geany/GeanyEnvironment.h"

#include <dlfcn.h>

#include <filesystem>

namespace zeb {

namespace {
std::string Folder(const std::filesystem::path& path) {
  std::string folder = path.lexically_normal().string();
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}
}  // namespace

IdeEnvironment GeanyEnvironment(const std::string& pluginFile, const std::string& configDirectory) {
  const std::filesystem::path plugin(pluginFile);
  IdeEnvironment env = IdeEnvironment::FromSystem(
      (plugin.parent_path() / ZEB_GEANY_PLUGIN_TO_BIN).lexically_normal().string());
  env.productIdentifier = "ZebGeany";
  const std::filesystem::path config(configDirectory);
  env.registryKey = Folder(config);
  env.templateDirectory = Folder(config / "templates");
  env.localAppDataDirectory = Folder(config / "plugins" / "zeb-geany");
  return env;
}

std::string PluginFile() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&PluginFile), &info) == 0 || info.dli_fname == nullptr)
    return "";
  return info.dli_fname;
}

}  // namespace zeb
