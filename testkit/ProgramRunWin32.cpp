#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>

#include "testkit/ProgramRun.h"

namespace zeb::test {

namespace {

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

// One word of a command line as the C runtime's argument parser reads it back.
std::wstring Quoted(const std::wstring& word) {
  if (!word.empty() && word.find_first_of(L" \t\"") == std::wstring::npos) return word;
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : word) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

// A handle closed at the end of the scope.
struct Handle {
  HANDLE value;
  ~Handle() {
    if (value != INVALID_HANDLE_VALUE && value != nullptr) CloseHandle(value);
  }
};

HANDLE OpenInherited(const std::wstring& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const HANDLE handle = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open a standard stream");
  return handle;
}

// Sets environment variables for the scope (the child inherits them), restoring them after.
class EnvironmentScope {
 public:
  explicit EnvironmentScope(const Environment& environment) {
    for (const auto& [name, value] : environment) {
      const std::wstring wideName = Wide(name);
      wchar_t old[32768];
      const DWORD length = GetEnvironmentVariableW(wideName.c_str(), old, 32768);
      saved_.emplace_back(
          wideName, length == 0 ? std::nullopt : std::optional<std::wstring>(std::wstring(old)));
      SetEnvironmentVariableW(wideName.c_str(), Wide(value).c_str());
    }
  }
  ~EnvironmentScope() {
    for (const auto& [name, value] : saved_)
      SetEnvironmentVariableW(name.c_str(), value ? value->c_str() : nullptr);
  }

 private:
  std::vector<std::pair<std::wstring, std::optional<std::wstring>>> saved_;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

const char kSeparator = '\\';
const char* const kPackageSuffix = ".bpl";

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& dir, const Environment& environment) {
  const std::string outPath = dir + "\\.stdout", errPath = dir + "\\.stderr";
  std::wstring commandLine = Quoted(Wide(program));
  for (const std::string& arg : args)
    commandLine += L" " + Quoted(Wide(arg));
  ProgramRun run;
  {
    const Handle in{OpenInherited(L"NUL", GENERIC_READ, OPEN_EXISTING)};
    const Handle out{OpenInherited(Wide(outPath), GENERIC_WRITE, CREATE_ALWAYS)};
    const Handle err{OpenInherited(Wide(errPath), GENERIC_WRITE, CREATE_ALWAYS)};
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.value;
    startup.hStdOutput = out.value;
    startup.hStdError = err.value;
    PROCESS_INFORMATION process{};
    const EnvironmentScope scope(environment);
    if (!CreateProcessW(Wide(program).c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                        nullptr, Wide(dir).c_str(), &startup, &process))
      throw std::runtime_error("cannot start " + program);
    const Handle thread{process.hThread}, child{process.hProcess};
    WaitForSingleObject(child.value, INFINITE);
    DWORD status = 0;
    if (GetExitCodeProcess(child.value, &status)) run.status = static_cast<int>(status);
  }
  run.out = ReadAll(outPath);
  run.err = ReadAll(errPath);
  std::filesystem::remove(std::filesystem::u8path(outPath));
  std::filesystem::remove(std::filesystem::u8path(errPath));
  return run;
}

std::string NativePath(const std::string& buildPath) {
  std::string path = buildPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path.starts_with('\\') ? "Z:" + path : path;
}

UserFolders FixedUserFolders() {
  return {{{"LOCALAPPDATA", "C:\\xdg\\data"}, {"APPDATA", "C:\\xdg\\config"}},
          {{"C:\\xdg\\data", "/xdg/data"}, {"C:\\xdg\\config", "/xdg/config"}}};
}

}  // namespace zeb::test
