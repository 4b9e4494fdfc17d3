// A Win32 trace viewer for the tests: a hidden top-level window of class "TFormTrace" that
// appends every WM_COPYDATA it receives to a log file, so the tests can check what arrived.
//
//   trace_test_viewer.exe LOG
//
// Each log entry: cbData (4 bytes), dwData (8), wParam (8), then the cbData bytes. The window
// closes on WM_CLOSE, and the program then exits 0. A message whose text starts with "hang"
// makes it stop pumping messages for good, as a hung viewer does, once it has logged it.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

const char* logPath = nullptr;

void Append(WPARAM wParam, const COPYDATASTRUCT& data) {
  std::FILE* f = std::fopen(logPath, "ab");
  if (f == nullptr) return;
  const std::uint32_t cbData = data.cbData;
  const std::uint64_t dwData = data.dwData;
  const std::uint64_t w = wParam;
  std::fwrite(&cbData, sizeof cbData, 1, f);
  std::fwrite(&dwData, sizeof dwData, 1, f);
  std::fwrite(&w, sizeof w, 1, f);
  if (data.cbData > 0) std::fwrite(data.lpData, 1, data.cbData, f);
  std::fclose(f);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COPYDATA: {
      const auto& data = *reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      Append(wParam, data);
      if (data.cbData >= 4 && std::memcmp(data.lpData, "hang", 4) == 0) {
        for (;;)
          Sleep(1000);
      }
      return TRUE;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: trace_test_viewer LOG\n");
    return 2;
  }
  logPath = argv[1];
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "TFormTrace";
  if (RegisterClassA(&windowClass) == 0) return 3;
  // A real top-level window, hidden: Wine would also find a message-only one, Windows not.
  HWND window =
      CreateWindowExA(0, "TFormTrace", "Trace", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                      400, 300, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (window == nullptr) return 4;
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
