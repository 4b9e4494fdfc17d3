#include <windows.h>

#include "ide/text/Win32Interop.h"
#include "tests/ide/TestSupport.h"

namespace zebtest {

bool LibraryLoaded(const std::string& fileName) {
  return ::GetModuleHandleW(zebide::win32::Widen(fileName).c_str()) != nullptr;
}

}  // namespace zebtest
