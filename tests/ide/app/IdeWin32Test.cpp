// What only the Windows IDE does: its user folders, and package files checked as DLLs (PE files)
// before the loader sees them.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "ide/app/Ide.h"
#include "ide/core/IdeEnvironment.h"
#include "ide/core/PackageLoader.h"
#include "testkit/TestSupport.h"
#include "testkit/TestSupportWin32.h"

namespace zeb {
namespace {

using zeb::test::ReadFile;
using zeb::test::RecordingObserver;
using zeb::test::TempDir;
using zeb::test::WriteFile;

TEST(Ide, GeneralServicesFollowTheWindowsFolders) {
  zeb::test::win32::SetVariable("LOCALAPPDATA", "C:\\Users\\tester\\AppData\\Local");
  zeb::test::win32::SetVariable("APPDATA", "C:/Users/tester/AppData/Roaming");
  const IdeEnvironment env = IdeEnvironment::FromSystem("C:\\zeb\\bin");
  EXPECT_EQ(env.binDirectory, "C:\\zeb\\bin\\");
  EXPECT_EQ(env.rootDirectory, "C:\\zeb\\");
  EXPECT_EQ(env.localAppDataDirectory, "C:\\Users\\tester\\AppData\\Local\\zeb-ide\\");
  EXPECT_EQ(env.templateDirectory, "C:\\Users\\tester\\AppData\\Local\\zeb-ide\\templates\\");
  EXPECT_EQ(env.registryKey, "C:\\Users\\tester\\AppData\\Roaming\\zeb-ide\\");
  EXPECT_EQ(env.systemPackagesDirectory, "C:\\zeb\\lib\\zeb-ide\\packages\\");
  EXPECT_EQ(env.userPackagesDirectory, "C:\\Users\\tester\\AppData\\Local\\zeb-ide\\packages\\");
}

std::uint32_t Little(const std::string& bytes, std::size_t at, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = size; i-- > 0;)
    value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
  return value;
}

// A package cut short anywhere in its headers or its sections' bytes, or no DLL at all, is
// refused with the reason before the loader reads it.
TEST(PackageLoader, APackageCutShortOrNoDllIsRefusedBeforeLoading) {
  TempDir dir;
  const std::string dll = ReadFile(ZEB_ADDIN_PATH);
  const std::size_t pe = Little(dll, 0x3C, 4);
  const std::size_t sections = pe + 24 + Little(dll, pe + 20, 2);
  const std::size_t firstData = Little(dll, sections + 20, 4);  // section 0's PointerToRawData
  std::string noSignature = dll.substr(0, 4096);
  noSignature[pe] = 'X';

  const struct {
    std::string bytes;
    const char* reason;
  } cases[] = {
      {dll.substr(0, 2),
       "truncated: the DOS header ends at byte 64, past the file's end at byte 2"},
      {dll.substr(0, pe + 8), "truncated: the PE header ends at byte "},
      {dll.substr(0, sections + 10), "truncated: the section table ends at byte "},
      {dll.substr(0, firstData + 16), "truncated: section 0 (.text) ends at byte "},
      {noSignature, "not a DLL: it has no PE signature"},
      {ReadFile(zeb::test::win32::ProgramPath()), "not a DLL: it is a program"},
  };
  RecordingObserver observer;
  Ide ide(observer, Ide::Options());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    const std::string path = dir / "cut.bpl";
    WriteFile(path, c.bytes);
    observer.messages.clear();
    EXPECT_FALSE(ide.LoadPackage(path));
    ASSERT_EQ(observer.messages.size(), 1u);
    const std::string expected =
        "cannot load package " + path + ": not a loadable shared library (" + c.reason;
    EXPECT_EQ(observer.messages[0].substr(0, expected.size()), expected) << observer.messages[0];
  }
  EXPECT_TRUE(ide.LoadPackage(ZEB_ADDIN_PATH)) << observer.messages.back();
}

// Windows names match whatever the case of their letters, so "X.BPL" is a package file too.
TEST(PackageLoader, PackageFilesEndInBplInAnyCase) {
  TempDir dir;
  for (const char* name : {"a.BPL", "b.bpl", "c.dll", "d.bpl.txt"})
    WriteFile(dir / name, "");
  EXPECT_EQ(PackageLoader::FindPackages(dir / ""),
            (std::vector<std::string>{dir / "a.BPL", dir / "b.bpl"}));
}

}  // namespace
}  // namespace zeb
