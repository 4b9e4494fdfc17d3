#include "ide/text/Win32Interop.h"

#include <climits>

namespace zeb::win32 {

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty() || utf8.size() > INT_MAX) return {};
  const int size = static_cast<int>(utf8.size());
  const int wide = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(wide), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), wide);
  return out;
}

std::string Narrow(std::wstring_view utf16) {
  if (utf16.empty() || utf16.size() > INT_MAX) return {};
  const int size = static_cast<int>(utf16.size());
  const int narrow =
      ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(narrow), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, out.data(), narrow, nullptr, nullptr);
  return out;
}

std::wstring WidePath(std::string_view utf8) {
  std::wstring path = Widen(utf8);
  if (path.empty() || path.starts_with(L"\\\\?\\")) return path;
  const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  const DWORD got = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  if (got == 0 || got >= size) return path;
  full.resize(got);
  // A path whose full form is beneath the limit goes as it is: the system resolves it (relative
  // paths, '/' separators) itself. A relative one counts with the folder it is relative to.
  if (full.size() < MAX_PATH - 12) return path;
  if (full.starts_with(L"\\\\.\\")) return full;  // a device
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::string ErrorText(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_NAME:
      return "No such file or directory";  // ENOENT
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_CURRENT_DIRECTORY:
      return "Permission denied";  // EACCES
    case ERROR_WRITE_PROTECT:
      return "Read-only file system";  // EROFS
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return "File exists";  // EEXIST
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "No space left on device";  // ENOSPC
    case ERROR_DIRECTORY:
      return "Not a directory";  // ENOTDIR
    case ERROR_DIR_NOT_EMPTY:
      return "Directory not empty";  // ENOTEMPTY
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return "Cannot allocate memory";  // ENOMEM
    case ERROR_FILENAME_EXCED_RANGE:
      return "File name too long";  // ENAMETOOLONG
    case ERROR_TOO_MANY_OPEN_FILES:
      return "Too many open files";  // EMFILE
    case ERROR_NOT_SAME_DEVICE:
      return "Invalid cross-device link";  // EXDEV
    case ERROR_INVALID_PARAMETER:
      return "Invalid argument";  // EINVAL
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
      return "Input/output error";  // EIO
    default:
      break;
  }
  wchar_t* text = nullptr;
  const DWORD size = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&text),
      0, nullptr);
  std::string message = size == 0 ? std::string() : Narrow(std::wstring_view(text, size));
  ::LocalFree(text);
  // The system's sentences end with a full stop and a line break; the IDE's reasons do not.
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.'))
    message.pop_back();
  return message.empty() ? "error " + std::to_string(error) : message;
}

}  // namespace zeb::win32
