// Saving and opening as only Windows has them: file attributes, devices, names beyond the code
// page, and the leftovers of processes told apart by their handles.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ide/core/EditView.h"
#include "ide/text/Document.h"
#include "ide/text/FileStoreShared.h"
#include "ide/text/Utf8Path.h"
#include "runtime/Exceptions.h"
#include "testkit/TestSupport.h"
#include "testkit/TestSupportWin32.h"

namespace zeb {
namespace {

namespace fs = std::filesystem;
namespace win = zeb::test::win32;
using zeb::test::FilesIn;
using zeb::test::ReadFile;
using zeb::test::TempDir;
using zeb::test::WriteFile;

TEST(Document, SaveKeepsTheFileAttributes) {
  TempDir dir;
  const std::string path = dir / "a.pas";
  constexpr unsigned long kShown = win::kReadOnly | win::kHidden;
  for (const unsigned long attributes : {win::kReadOnly, win::kHidden, kShown}) {
    SCOPED_TRACE(attributes);
    WriteFile(path, "x\n");
    ASSERT_TRUE(win::SetAttributes(path, attributes));
    const auto doc = Document::Open(path);
    EditView view(doc, 8);
    view.InsertText("y");
    doc->Save();
    EXPECT_EQ(ReadFile(path), "yx\n");
    EXPECT_EQ(win::Attributes(path) & kShown, attributes);
    EXPECT_EQ(FilesIn(dir.Path()), 1u);           // no temporary file left
    ASSERT_TRUE(win::SetAttributes(path, 0x80));  // FILE_ATTRIBUTE_NORMAL
  }
}

// A file another program holds open cannot be replaced: the save fails, saying so, and leaves the
// file as it was and no temporary file; once the file is free the same save goes through.
TEST(Document, ASaveOverAFileHeldOpenFailsAndLosesNothing) {
  TempDir dir;
  const std::string path = dir / "a.pas";
  WriteFile(path, "x\n");
  const auto doc = Document::Open(path);
  EditView view(doc, 8);
  view.InsertText("y");
  void* held = win::OpenUnshared(path);
  ASSERT_NE(held, nullptr);
  try {
    doc->Save();
    ADD_FAILURE() << "saved";
  } catch (const EInOutError& e) {
    EXPECT_TRUE(e.Message().starts_with("cannot save " + path + ": ")) << e.Message();
  }
  win::Close(held);
  EXPECT_EQ(ReadFile(path), "x\n");
  EXPECT_EQ(FilesIn(dir.Path()), 1u);
  doc->Save();
  EXPECT_EQ(ReadFile(path), "yx\n");
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
  fs::create_directory(dir / "folder.pas");
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

// The leftovers of this process and of one that has ended go at the next save; that of a process
// that still runs stays.
TEST(Document, SaveClearsLeftoversOfProcessesThatNoLongerRun) {
  TempDir dir;
  const std::string path = dir / "a.pas";
  WriteFile(path, "a\n");
  const auto doc = Document::Open(path);
  win::Child running = win::StartSuspended();
  win::Child ended = win::StartSuspended();
  ASSERT_NE(running.pid, 0u);
  ASSERT_NE(ended.pid, 0u);
  const unsigned long endedPid = ended.pid;
  win::End(ended);

  const std::string prefix = dir / filestore::TemporaryPrefix("a.pas");
  const struct {
    unsigned long pid;
    bool stays;
  } cases[] = {{win::CurrentProcessId(), false}, {endedPid, false}, {running.pid, true}};
  for (const auto& c : cases)
    WriteFile(prefix + std::to_string(c.pid) + ".abcdef", "half");
  doc->Save();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pid);
    EXPECT_EQ(fs::exists(zeb::PathFromUtf8(prefix + std::to_string(c.pid) + ".abcdef")), c.stays);
  }
  win::End(running);
}

}  // namespace
}  // namespace zeb
