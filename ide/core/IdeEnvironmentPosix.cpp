#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "ide/core/IdeEnvironment.h"

namespace zeb {

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

IdeEnvironment::UserFolders IdeEnvironment::ReadUserFolders() {
  return {XdgDirectory("XDG_DATA_HOME", ".local/share"),
          XdgDirectory("XDG_CONFIG_HOME", ".config")};
}

const char* IdeEnvironment::UserPackagesFolderName() noexcept {
  return "$XDG_DATA_HOME/zeb-ide/packages/";
}

char IdeEnvironment::Separator() noexcept {
  return '/';
}

std::string IdeEnvironment::ExecutableDirectory() {
  std::error_code error;
  const fs::path exe = fs::read_symlink("/proc/self/exe", error);
  if (error) return fs::current_path(error).string();
  return exe.parent_path().string();
}

}  // namespace zeb
