// The Windows calls the Windows-only tests make, behind plain types: <windows.h> clashes with the
// IDE's interface declarations (HRESULT, IUnknown, colour names), so no test includes both.
#pragma once

#include <string>

namespace zeb::test::win32 {

inline constexpr unsigned long kReadOnly = 0x1;  // FILE_ATTRIBUTE_READONLY
inline constexpr unsigned long kHidden = 0x2;    // FILE_ATTRIBUTE_HIDDEN

// The attributes of the file at the UTF-8 `path`.
unsigned long Attributes(const std::string& path);
bool SetAttributes(const std::string& path, unsigned long attributes);

// Opens the file at `path` as another program may hold it: shared for reading only, so that it
// can be neither written, renamed nor removed while open. Null when it cannot be opened.
void* OpenUnshared(const std::string& path);
void Close(void* handle);

// A process of this test program, started suspended so that it runs until it is ended.
struct Child {
  unsigned long pid = 0;
  void* process = nullptr;
  void* thread = nullptr;
};
Child StartSuspended();
// Ends the process and waits until it has.
void End(Child& child);
unsigned long CurrentProcessId();

// This test program's file, in UTF-8.
std::string ProgramPath();
void SetVariable(const char* name, const char* value);

}  // namespace zeb::test::win32
