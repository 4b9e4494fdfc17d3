#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstring>

#include "ide/headless/ProcessIo.h"
#include "ide/text/Win32Interop.h"
#include "runtime/Exceptions.h"

namespace zeb {

namespace {
[[noreturn]] void CannotRead(const std::string& path, const std::string& reason) {
  throw EInOutError("cannot read script " + path + ": " + reason);
}
}  // namespace

void UseBinaryStandardStreams() {
  // Text mode would turn every "\n" printed into "\r\n".
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  _setmode(_fileno(stdin), _O_BINARY);
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i)
    args.push_back(zeb::win32::Narrow(wide[i]));
  ::LocalFree(wide);
  return args;
}

// A console, not any character device (NUL, a serial port), which _isatty would take for one.
bool StandardInputIsTerminal() {
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

std::FILE* OpenScript(const std::string& path) {
  const std::wstring wide = zeb::win32::WidePath(path);
  std::FILE* file = _wfopen(wide.c_str(), L"rb");
  if (file == nullptr) {
    // A folder is refused as "access denied"; say what Linux says of it.
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
      errno = EISDIR;
    CannotRead(path, std::strerror(errno));
  }
  // A device (NUL, CON) or a pipe opens as well as a file does.
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    std::fclose(file);
    CannotRead(path, "not a regular file");
  }
  return file;
}

}  // namespace zeb
