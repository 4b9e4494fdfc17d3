#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "ide/headless/ProcessIo.h"
#include "ide/text/Win32Interop.h"

namespace zeb {

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

std::FILE* OpenForReading(const std::string& path) {
  const std::wstring wide = zeb::win32::WidePath(path);
  std::FILE* file = _wfopen(wide.c_str(), L"rb");
  // A folder is refused as "access denied"; say what Linux says of it.
  if (file == nullptr) {
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
      errno = EISDIR;
  }
  return file;
}

}  // namespace zeb
