// What the Windows trace tests share to start a viewer program of the build: the folder the
// programs are in, and the wait for the viewer's window.
#pragma once

#include <windows.h>

#include <string>

namespace zeb {

// This test program's folder, where the build puts the other programs too; ends with '\'.
inline std::string ExeDir() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, n);
  return dir.substr(0, dir.find_last_of("\\/") + 1);
}

// The "TFormTrace" window of a viewer just started, once it is there; null after ten seconds.
inline HWND WaitForViewerWindow() {
  for (int i = 0; i < 1000; ++i) {
    if (const HWND window = FindWindowA("TFormTrace", nullptr)) return window;
    Sleep(10);
  }
  return nullptr;
}

}  // namespace zeb
