#include "ide/core/IdeEnvironment.h"

#include <algorithm>
#include <filesystem>

#include "ide/text/Utf8Path.h"

namespace zeb {

namespace fs = std::filesystem;

IdeEnvironment IdeEnvironment::FromSystem(const std::string& binDirectory) {
  const char separator = Separator();
  auto folder = [separator](std::string dir) {
    if (dir.empty() || dir.back() != separator) dir += separator;
    return dir;
  };
  IdeEnvironment env;
  const fs::path bin = PathFromUtf8(binDirectory).lexically_normal();
  env.binDirectory = folder(Utf8FromPath(bin));
  const fs::path root =
      bin.filename().empty() ? bin.parent_path().parent_path() : bin.parent_path();
  env.rootDirectory = folder(Utf8FromPath(root));
  const UserFolders user = ReadUserFolders();
  env.localAppDataDirectory = folder(user.data + "zeb-ide");
  env.templateDirectory = folder(env.localAppDataDirectory + "templates");
  env.registryKey = folder(user.settings + "zeb-ide");
  std::string packages = ZEB_PACKAGES_DIR;
  std::replace(packages.begin(), packages.end(), '/', separator);
  env.systemPackagesDirectory = folder(env.rootDirectory + packages);
  env.userPackagesDirectory = folder(env.localAppDataDirectory + "packages");
  return env;
}

}  // namespace zeb
