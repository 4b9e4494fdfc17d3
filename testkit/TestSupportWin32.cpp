#include "testkit/TestSupportWin32.h"

#include <windows.h>

#include "ide/text/Win32Interop.h"

namespace zeb::test {

// Declared in TestSupport.h, which this file cannot include beside <windows.h>.
bool LibraryLoaded(const std::string& fileName) {
  return ::GetModuleHandleW(zeb::win32::Widen(fileName).c_str()) != nullptr;
}

namespace win32 {

using zeb::win32::Widen;

unsigned long Attributes(const std::string& path) {
  return ::GetFileAttributesW(Widen(path).c_str());
}

bool SetAttributes(const std::string& path, unsigned long attributes) {
  return ::SetFileAttributesW(Widen(path).c_str(), attributes) != 0;
}

void* OpenUnshared(const std::string& path) {
  const HANDLE file = ::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

void Close(void* handle) {
  ::CloseHandle(handle);
}

Child StartSuspended() {
  std::wstring exe = Widen(ProgramPath());
  std::wstring commandLine = L"\"" + exe + L"\" --gtest_list_tests";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, nullptr, &startup, &info))
    return {};
  return {info.dwProcessId, info.hProcess, info.hThread};
}

void End(Child& child) {
  if (child.process == nullptr) return;
  ::TerminateProcess(child.process, 0);
  ::WaitForSingleObject(child.process, INFINITE);
  ::CloseHandle(child.thread);
  ::CloseHandle(child.process);
  child = {};
}

unsigned long CurrentProcessId() {
  return ::GetCurrentProcessId();
}

std::string ProgramPath() {
  wchar_t exe[MAX_PATH] = {};
  const DWORD size = ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
  return zeb::win32::Narrow(std::wstring_view(exe, size));
}

void SetVariable(const char* name, const char* value) {
  ::SetEnvironmentVariableW(Widen(name).c_str(), Widen(value).c_str());
}

}  // namespace win32
}  // namespace zeb::test
