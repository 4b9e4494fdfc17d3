// Win32Interop: what every Win32 call of the IDE needs, in one place. The program holds text
// and paths in UTF-8; the system's wide (UTF-16) functions take and give UTF-16. A failure is
// told in the words Linux uses for the same cause, so that the IDE's messages are the same
// bytes on both systems.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace zeb::win32 {

// UTF-8 to UTF-16 and back; bytes that are no UTF-8 become U+FFFD, as do unpaired surrogates.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);
// A UTF-8 path for the wide file functions. One too long for them (MAX_PATH and more) is made
// absolute and given the "\\?\" prefix that lifts the limit.
std::wstring WidePath(std::string_view utf8);
// The text for a Win32 error code: the Linux wording of the matching errno value for the common
// ones (ERROR_FILE_NOT_FOUND: "No such file or directory"), else the system's own message.
std::string ErrorText(DWORD error);

// Closes a handle when it goes out of scope, unless released.
class HandleGuard {
 public:
  explicit HandleGuard(HANDLE handle) : handle_(handle) {}
  HandleGuard(const HandleGuard&) = delete;
  HandleGuard& operator=(const HandleGuard&) = delete;
  ~HandleGuard() { Close(); }
  HANDLE Get() const noexcept { return handle_; }
  // Closes now; the error of closing, or 0.
  DWORD Close() noexcept {
    if (handle_ == INVALID_HANDLE_VALUE || handle_ == nullptr) return 0;
    const BOOL closed = ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed ? 0 : ::GetLastError();
  }

 private:
  HANDLE handle_;
};

}  // namespace zeb::win32
