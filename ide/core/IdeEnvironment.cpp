#include "ide/core/IdeEnvironment.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace zebide {

namespace fs = std::filesystem;

namespace {
std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr)
    return pw->pw_dir;
  return "/";
}

// An XDG base directory: the variable when it holds an absolute path, else HOME/fallback.
std::string XdgDirectory(const char* variable, const char* fallback) {
  if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/')
    return WithSlash(value);
  return WithSlash(WithSlash(HomeDirectory()) + fallback);
}
}  // namespace

IdeEnvironment IdeEnvironment::FromSystem(const std::string& binDirectory) {
  IdeEnvironment env;
  const fs::path bin = fs::path(binDirectory).lexically_normal();
  env.binDirectory = WithSlash(bin.string());
  fs::path root = bin.filename().empty() ? bin.parent_path().parent_path() : bin.parent_path();
  env.rootDirectory = WithSlash(root.string());
  const std::string data = XdgDirectory("XDG_DATA_HOME", ".local/share");
  env.localAppDataDirectory = data + "zeb-ide/";
  env.templateDirectory = data + "zeb-ide/templates/";
  env.registryKey = XdgDirectory("XDG_CONFIG_HOME", ".config") + "zeb-ide/";
  env.systemPackagesDirectory = WithSlash(env.rootDirectory + ZEB_PACKAGES_DIR);
  env.userPackagesDirectory = env.localAppDataDirectory + "packages/";
  return env;
}

std::string IdeEnvironment::ExecutableDirectory() {
  std::error_code error;
  const fs::path exe = fs::read_symlink("/proc/self/exe", error);
  if (error) return fs::current_path(error).string();
  return exe.parent_path().string();
}

}  // namespace zebide
