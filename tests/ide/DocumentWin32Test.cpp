// Saving and opening as only Windows has them: file attributes, devices, names beyond the code
// page, and the leftovers of processes told apart by their handles.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ide/core/EditView.h"
#include "ide/text/Document.h"
#include "ide/text/FileStoreShared.h"
#include "ide/text/Win32Interop.h"
#include "runtime/Exceptions.h"
#include "tests/ide/TestSupport.h"

namespace zebide {
namespace {

using win32::Widen;
using zebtest::FilesIn;
using zebtest::ReadFile;
using zebtest::TempDir;
using zebtest::WriteFile;

TEST(Document, SaveKeepsTheFileAttributes) {
  TempDir dir;
  const std::string path = dir / "a.pas";
  const std::wstring wide = Widen(path);
  constexpr DWORD kShown = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
  for (const DWORD attributes :
       {DWORD{FILE_ATTRIBUTE_READONLY}, DWORD{FILE_ATTRIBUTE_HIDDEN}, kShown}) {
    SCOPED_TRACE(attributes);
    WriteFile(path, "x\n");
    ASSERT_TRUE(::SetFileAttributesW(wide.c_str(), attributes));
    const auto doc = Document::Open(path);
    EditView view(doc, 8);
    view.InsertText("y");
    doc->Save();
    EXPECT_EQ(ReadFile(path), "yx\n");
    EXPECT_EQ(::GetFileAttributesW(wide.c_str()) & kShown, attributes);
    EXPECT_EQ(FilesIn(dir.Path()), 1u);  // no temporary file left
    ASSERT_TRUE(::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL));
  }
}

// Hangul, Greek, the euro sign and a character beyond the 16-bit plane: no code page holds them
// all, so each call must go through UTF-16.
TEST(Document, NamesBeyondTheCodePageOpenAndSave) {
  TempDir dir;
  const std::string path = dir / "\xED\x95\x9C\xEA\xB8\x80 \xCE\xB1\xE2\x82\xAC.pas";
  const std::string copy = dir / "copy \xF0\x9F\x98\x80.pas";
  WriteFile(path, "a\r\n");
  const auto doc = Document::Open(path);
  EditView view(doc, 8);
  view.InsertText("b");
  doc->Save();
  doc->SaveCopy(copy);
  EXPECT_EQ(ReadFile(path), "ba\r\n");
  EXPECT_EQ(ReadFile(copy), "ba\r\n");
  EXPECT_EQ(FilesIn(dir.Path()), 2u);
}

TEST(Document, OpenReadsOnlyRegularFiles) {
  TempDir dir;
  ASSERT_TRUE(::CreateDirectoryW(Widen(dir / "folder.pas").c_str(), nullptr));
  const struct {
    std::string path;
    const char* reason;
  } cases[] = {{"NUL", "not a regular file"}, {dir / "folder.pas", "Is a directory"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    try {
      Document::Open(c.path);
      ADD_FAILURE() << "opened";
    } catch (const EInOutError& e) {
      EXPECT_EQ(e.Message(), "cannot open " + c.path + ": " + c.reason);
    }
  }
}

// A process of this test program, started suspended so that it runs until it is ended.
PROCESS_INFORMATION StartSuspended() {
  wchar_t exe[MAX_PATH];
  ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring commandLine = L"\"" + std::wstring(exe) + L"\" --gtest_list_tests";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  EXPECT_TRUE(::CreateProcessW(exe, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                               nullptr, nullptr, &startup, &process));
  return process;
}

// The leftovers of this process and of one that has ended go at the next save; that of a process
// that still runs stays.
TEST(Document, SaveClearsLeftoversOfProcessesThatNoLongerRun) {
  TempDir dir;
  const std::string path = dir / "a.pas";
  WriteFile(path, "a\n");
  const auto doc = Document::Open(path);
  const PROCESS_INFORMATION running = StartSuspended();
  const PROCESS_INFORMATION ended = StartSuspended();
  ASSERT_TRUE(::TerminateProcess(ended.hProcess, 0));
  ::WaitForSingleObject(ended.hProcess, INFINITE);
  ::CloseHandle(ended.hThread);
  ::CloseHandle(ended.hProcess);

  const std::string prefix = dir / filestore::TemporaryPrefix("a.pas");
  const struct {
    DWORD pid;
    bool stays;
  } cases[] = {
      {::GetCurrentProcessId(), false}, {ended.dwProcessId, false}, {running.dwProcessId, true}};
  for (const auto& c : cases)
    WriteFile(prefix + std::to_string(c.pid) + ".abcdef", "half");
  doc->Save();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pid);
    EXPECT_EQ(::GetFileAttributesW(Widen(prefix + std::to_string(c.pid) + ".abcdef").c_str()) !=
                  INVALID_FILE_ATTRIBUTES,
              c.stays);
  }
  ::TerminateProcess(running.hProcess, 0);
  ::CloseHandle(running.hThread);
  ::CloseHandle(running.hProcess);
}

}  // namespace
}  // namespace zebide
