#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "ide/core/Ide.h"
#include "runtime/Forms.h"
#include "runtime/IdeServices.h"
#include "tests/ide/TestSupport.h"

namespace zebide {
namespace {

using zebtest::ReadFile;
using zebtest::RecordingObserver;
using zebtest::TempDir;
using zebtest::WriteFile;

std::string Fixture(const char* name) {
  return std::string(ZEB_FIXTURE_DIR) + "/" + name + ".so";
}

// Whether a file whose path ends in `name` is mapped into this process.
bool Mapped(const std::string& name) {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line))
    if (line.ends_with("/" + name)) return true;
  return false;
}

TEST(PackageLoader, EveryFailureNamesTheFileAndTheReasonAndTheIdeGoesOn) {
  TempDir dir;
  WriteFile(dir / "text.so", "this is no library\n");
  // A half-copied package: the loader must not map what is not in the file.
  WriteFile(dir / "truncated.so", ReadFile(ZEB_ADDIN_PATH).substr(0, 4096));
  const struct {
    std::string path;
    const char* reason;
  } cases[] = {
      {dir / "nonesuch.so", ": no such file"},
      {dir / "text.so", ": not a loadable shared library ("},
      {dir / "truncated.so", ": not a loadable shared library (truncated: "},
      {Fixture("NotAPackage"), ": not a package: it has no ZebGetPackageInfo"},
      {Fixture("BadInfo"), ": not a package: its package information is missing or malformed"},
      {Fixture("NoRegister"), ": it has no Register"},
      {Fixture("MissingRequired"),
       ": it requires nonesuch200.bpl, which this IDE does not provide"},
      {Fixture("RegisterThrows"), ": Register raised EInOutError: the fixture failed on purpose"},
      {Fixture("RegisterLeavesForm"), ": Register raised EInOutError: the form stays behind"},
  };
  RecordingObserver observer;
  Ide ide(observer, Ide::Options());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    observer.messages.clear();
    EXPECT_FALSE(ide.LoadPackage(c.path));
    ASSERT_EQ(observer.messages.size(), 1u);
    const std::string expected = "cannot load package " + c.path + c.reason;
    EXPECT_EQ(observer.messages[0].substr(0, expected.size()), expected) << observer.messages[0];
    EXPECT_TRUE(ide.Packages().empty());
    EXPECT_EQ(ide.KeyboardBindingCount(), 0u);  // what Register added went with it
    EXPECT_EQ(Application->ComponentCount(), 0u);
  }
  // The IDE still loads a good package afterwards, once.
  EXPECT_TRUE(ide.LoadPackage(Fixture("Good")));
  ASSERT_EQ(ide.Packages().size(), 1u);
  const PackageIdentity& id = ide.Packages()[0]->Identity();
  EXPECT_EQ(id.name, "Good");
  EXPECT_EQ(id.fileVersion, "1.2.3.4");
  EXPECT_EQ(id.productVersion, "5.6.7.8");
  EXPECT_EQ(id.requiredPackages, (std::vector<std::string>{"rtl100.bpl", "vcl100.bpl"}));
  EXPECT_FALSE(ide.LoadPackage(Fixture("Good")));
  EXPECT_NE(observer.messages.back().find("a package named Good is already loaded"),
            std::string::npos);
  EXPECT_TRUE(observer.faults.empty());
}

TEST(PackageLoader, TheProvidedPackagesDecide) {
  RecordingObserver observer;
  Ide::Options options;
  options.providedPackages = {"rtl100.bpl"};
  Ide ide(observer, options);
  EXPECT_FALSE(ide.LoadPackage(ZEB_ADDIN_PATH));
  ASSERT_EQ(observer.messages.size(), 1u);
  EXPECT_NE(observer.messages[0].find("it requires vclx100.bpl, vclactnband100.bpl, "
                                      "xmlrtl100.bpl, designide100.bpl, vcl100.bpl, which"),
            std::string::npos)
      << observer.messages[0];
  EXPECT_TRUE(ide.LoadPackage(Fixture("NoRegister")) == false);
}

// Without --package the IDE loads what its packages folders hold: system then user, each in
// name order, skipping (and reporting) whatever fails.
TEST(PackageLoader, PackagesFoldersLoadInOrderAndFailuresAreSkipped) {
  namespace fs = std::filesystem;
  TempDir dir;
  fs::create_directories(dir / "system/subfolder.so");
  fs::create_directories(dir / "user");
  fs::copy_file(Fixture("LateBinding"), dir / "system/b.so");
  fs::copy_file(Fixture("NotAPackage"), dir / "system/a.so");
  fs::copy_file(Fixture("Good"), dir / "system/.hidden.so");
  WriteFile(dir / "system/notes.txt", "not a package\n");
  fs::copy_file(Fixture("Good"), dir / "user/Good.so");
  fs::copy_file(Fixture("LateBinding"), dir / "user/again.so");
  WriteFile(dir / "file", "");

  RecordingObserver observer;
  Ide ide(observer, Ide::Options());
  const std::size_t found = ide.LoadPackagesFrom({{"system", dir / "system/"},
                                                  {"user", dir / "user/"},
                                                  {"user", dir / "nonesuch/"},
                                                  {"user", dir / "file/"}});
  EXPECT_EQ(found, 4u);
  ASSERT_EQ(ide.Packages().size(), 2u);
  EXPECT_EQ(ide.Packages()[0]->Identity().name, "LateBinding");
  EXPECT_EQ(ide.Packages()[0]->FoundIn(), "system packages folder " + dir / "system/");
  EXPECT_EQ(ide.Packages()[1]->Identity().name, "Good");
  EXPECT_EQ(ide.Packages()[1]->FoundIn(), "user packages folder " + dir / "user/");
  const std::vector<std::string> expected = {
      "cannot load package " + dir / "system/a.so" + ": not a package: it has no ZebGetPackageInfo",
      "cannot load package " + dir / "user/again.so" +
          ": a package named LateBinding is already loaded from " + dir / "system/b.so",
      "cannot read packages folder " + dir / "file/" + ": Not a directory",
  };
  EXPECT_EQ(observer.messages, expected);
}

// Unloading must really unmap the library, or code left behind in it would still seem to work.
TEST(PackageLoader, UnloadingUnmapsTheAddin) {
  const std::string name = "ZEB_IDE_Addin_2007.so";
  ASSERT_FALSE(Mapped(name));
  RecordingObserver observer;
  Ide ide(observer, Ide::Options());
  ASSERT_TRUE(ide.LoadPackage(ZEB_ADDIN_PATH));
  ASSERT_TRUE(Mapped(name));
  ide.UnloadPackages();
  EXPECT_FALSE(Mapped(name));
}

// A binding a package adds after Register (from its key procedure here) is still its own, and
// goes when the package does even though its Finalize forgets it.
TEST(PackageLoader, BindingsAddedAfterRegisterGoWithTheirPackage) {
  RecordingObserver observer;
  Ide ide(observer, Ide::Options());
  ASSERT_TRUE(ide.LoadPackage(Fixture("LateBinding")));
  EXPECT_EQ(ide.PressKey(0xC04C), KeyOutcome::NotBound);
  EXPECT_EQ(ide.PressKey(0xC042), KeyOutcome::Handled);
  ASSERT_EQ(ide.KeyboardBindingCount(), 2u);
  EXPECT_EQ(ide.PressKey(0xC04C), KeyOutcome::Handled);
  ide.UnloadPackages();
  EXPECT_EQ(ide.KeyboardBindingCount(), 0u);
  EXPECT_EQ(ide.Keys().Size(), 0u);
  EXPECT_TRUE(observer.faults.empty());
}

TEST(PackageLoader, ServicesExistWhilePackagesLoadAndGoAfter) {
  {
    RecordingObserver observer;
    Ide ide(observer, Ide::Options());
    EXPECT_TRUE(BorlandIDEServices);
    EXPECT_TRUE(BorlandIDEServices.TryAs<IOTAKeyboardServices>());
    EXPECT_TRUE(BorlandIDEServices.TryAs<IOTAServices>());
    EXPECT_FALSE(BorlandIDEServices.TryAs<IOTAEditView>());
  }
  EXPECT_FALSE(BorlandIDEServices);
}

}  // namespace
}  // namespace zebide
