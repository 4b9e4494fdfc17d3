// What only the Linux IDE does: the XDG base directories, and package files checked as ELF
// files before the loader maps them.
#include <elf.h>
#include <gtest/gtest.h>
#include <link.h>
#include <stdlib.h>

#include <cstring>
#include <string>

#include "ide/app/Ide.h"
#include "ide/core/IdeEnvironment.h"
#include "testkit/TestSupport.h"

namespace zeb {
namespace {

using zeb::test::ReadFile;
using zeb::test::RecordingObserver;
using zeb::test::TempDir;
using zeb::test::WriteFile;

TEST(Ide, GeneralServicesFollowTheXdgDirectories) {
  ::setenv("XDG_DATA_HOME", "/xdg/data", 1);
  ::setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
  ::setenv("HOME", "/home/tester", 1);
  const IdeEnvironment env = IdeEnvironment::FromSystem("/opt/zeb/bin");
  EXPECT_EQ(env.binDirectory, "/opt/zeb/bin/");
  EXPECT_EQ(env.rootDirectory, "/opt/zeb/");
  EXPECT_EQ(env.localAppDataDirectory, "/xdg/data/zeb-ide/");
  EXPECT_EQ(env.templateDirectory, "/xdg/data/zeb-ide/templates/");
  EXPECT_EQ(env.registryKey, "/home/tester/.config/zeb-ide/");
  EXPECT_EQ(env.systemPackagesDirectory, "/opt/zeb/lib/zeb-ide/packages/");
  EXPECT_EQ(env.userPackagesDirectory, "/xdg/data/zeb-ide/packages/");
  EXPECT_FALSE(env.productIdentifier.empty());
}

// A package cut short in its ELF header, its program header table or the bytes of a loadable
// segment is refused with the reason before the loader maps it: a page mapped past the file's
// end kills the process when it is touched.
TEST(PackageLoader, APackageCutShortIsRefusedBeforeLoading) {
  const std::string so = ReadFile(ZEB_ADDIN_PATH);
  ElfW(Ehdr) header{};
  std::memcpy(&header, so.data(), sizeof header);
  const std::size_t tableEnd = header.e_phoff + header.e_phnum * sizeof(ElfW(Phdr));
  // The last loadable segment with bytes in the file: cut one byte into it, the segments before
  // it are whole.
  std::size_t last = 0;
  ElfW(Phdr) segment{};
  for (std::size_t i = 0; i < header.e_phnum; ++i) {
    ElfW(Phdr) p{};
    std::memcpy(&p, so.data() + header.e_phoff + i * sizeof p, sizeof p);
    if (p.p_type == PT_LOAD && p.p_filesz > 0) {
      last = i;
      segment = p;
    }
  }
  ASSERT_GT(segment.p_filesz, 1u);
  const auto cut = [](std::size_t end, std::size_t size) {
    return " ends at byte " + std::to_string(end) + ", past the file's end at byte " +
           std::to_string(size) + ")";
  };
  const struct {
    std::string bytes;
    std::string reason;
  } cases[] = {
      {so.substr(0, 20), "the ELF header" + cut(sizeof header, 20)},
      {so.substr(0, header.e_phoff + 8),
       "the program header table" + cut(tableEnd, header.e_phoff + 8)},
      {so.substr(0, segment.p_offset + 1),
       "loadable segment " + std::to_string(last) +
           cut(segment.p_offset + segment.p_filesz, segment.p_offset + 1)},
  };
  TempDir dir;
  RecordingObserver observer;
  Ide ide(observer, Ide::Options());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    const std::string path = dir / "cut.so";
    WriteFile(path, c.bytes);
    observer.messages.clear();
    EXPECT_FALSE(ide.LoadPackage(path));
    EXPECT_EQ(observer.messages, std::vector<std::string>{"cannot load package " + path +
                                                          ": not a loadable shared library "
                                                          "(truncated: " +
                                                          c.reason});
  }
}

}  // namespace
}  // namespace zeb
