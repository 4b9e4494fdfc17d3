#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include <filesystem>

#include "ide/core/IdeEnvironment.h"
#include "ide/text/Utf8Path.h"
#include "ide/text/Win32Interop.h"

namespace zeb {

namespace fs = std::filesystem;

namespace {
std::string WithBackslash(const fs::path& dir) {
  std::string text = Utf8FromPath(dir.lexically_normal());
  if (text.empty() || text.back() != '\\') text += '\\';
  return text;
}

// A user folder: the variable when it holds an absolute path, else the one the shell knows.
std::string UserFolder(const wchar_t* variable, int shellFolder) {
  std::wstring value(MAX_PATH, L'\0');
  DWORD size = ::GetEnvironmentVariableW(variable, value.data(), static_cast<DWORD>(value.size()));
  if (size >= value.size()) {
    value.resize(size);
    size = ::GetEnvironmentVariableW(variable, value.data(), size);
  }
  value.resize(size < value.size() ? size : 0);
  if (!value.empty() && fs::path(value).is_absolute()) return WithBackslash(value);
  wchar_t known[MAX_PATH] = {};
  if (::SHGetFolderPathW(nullptr, shellFolder, nullptr, SHGFP_TYPE_CURRENT, known) == S_OK)
    return WithBackslash(known);
  return WithBackslash(fs::temp_directory_path());
}
}  // namespace

IdeEnvironment::UserFolders IdeEnvironment::ReadUserFolders() {
  return {UserFolder(L"LOCALAPPDATA", CSIDL_LOCAL_APPDATA), UserFolder(L"APPDATA", CSIDL_APPDATA)};
}

const char* IdeEnvironment::UserPackagesFolderName() noexcept {
  return "%LOCALAPPDATA%\\zeb-ide\\packages\\";
}

char IdeEnvironment::Separator() noexcept {
  return '\\';
}

std::string IdeEnvironment::ExecutableDirectory() {
  std::wstring exe(MAX_PATH, L'\0');
  for (;;) {
    const DWORD size = ::GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
    if (size == 0) return Utf8FromPath(fs::current_path());
    if (size < exe.size()) {
      exe.resize(size);
      break;
    }
    exe.resize(exe.size() * 2);
  }
  return Utf8FromPath(fs::path(exe).parent_path());
}

}  // namespace zeb
