#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ide/app/Ide.h"
#include "ide/core/PackageAbi.h"
#include "ide/core/PackageLibrary.h"
#include "runtime/Forms.h"
#include "runtime/IdeServices.h"
#include "testkit/TestSupport.h"

namespace zeb {
namespace {

using zeb::test::LibraryLoaded;
using zeb::test::ReadFile;
using zeb::test::RecordingObserver;
using zeb::test::TempDir;
using zeb::test::WriteFile;

// A package file's name: `name` with the system's suffix.
std::string Pkg(const std::string& name) {
  return name + std::string(PackageLibrary::FileSuffix());
}

std::string Fixture(const char* name) {
  return std::string(ZEB_FIXTURE_DIR) + "/" + Pkg(name);
}

TEST(PackageLoader, EveryFailureNamesTheFileAndTheReasonAndTheIdeGoesOn) {
  TempDir dir;
  WriteFile(dir / Pkg("text"), "this is no library\n");
  // A half-copied package: the loader must not map what is not in the file.
  WriteFile(dir / Pkg("truncated"), ReadFile(ZEB_ADDIN_PATH).substr(0, 4096));
  struct Case {
    std::string path;
    const char* reason;
  };
  const Case cases[] = {
      {dir / Pkg("nonesuch"), ": no such file"},
      {dir / Pkg("text"), ": not a loadable shared library ("},
      {dir / Pkg("truncated"), ": not a loadable shared library (truncated: "},
      {Fixture("NotAPackage"), ": not a package: it has no ZebGetPackageInfo"},
      {Fixture("BadInfo"), ": not a package: its package information is missing or malformed"},
      {Fixture("NewerInterface"),
       ": it was built for interface version 3, newer than this IDE's 2: rebuild it with this "
       "IDE's SDK, or use an IDE that provides version 3"},
      {Fixture("NoStdlibTag"),
       ": it records no C++ standard library tag (it was built for interface version 1), so its "
       "ABI cannot be checked: rebuild it with this IDE's SDK (zeb_add_package)"},
      // Built from one source with other flags: refused before Register, which raises.
      {Fixture("OldStringAbi"),
       ": its C++ standard library tag is \"itanium libstdc++ old release\", this IDE's "
       "\"itanium libstdc++ cxx11 release\": the standard library's ABI differs (old, not "
       "cxx11); rebuild it without -D_GLIBCXX_USE_CXX11_ABI=0"},
      {Fixture("DebugStdlib"),
       ": its C++ standard library tag is \"itanium libstdc++ cxx11 debug\", this IDE's "
       "\"itanium libstdc++ cxx11 release\": the standard library's mode differs (debug, not "
       "release); rebuild it without -D_GLIBCXX_DEBUG"},
      {Fixture("NoRegister"), ": it has no Register"},
      {Fixture("MissingRequired"),
       ": it requires nonesuch200.bpl, which this IDE does not provide"},
      {Fixture("RegisterThrows"), ": Register raised EInOutError: the fixture failed on purpose"},
      {Fixture("RegisterLeavesForm"), ": Register raised EInOutError: the form stays behind"},
  };
  std::vector<Case> all(std::begin(cases), std::end(cases));
#if ZEB_LIBCXX_FIXTURE
  all.push_back({Fixture("LibcxxStdlib"),
                 ": its C++ standard library tag is \"itanium libc++ abi-1 release\", this IDE's "
                 "\"itanium libstdc++ cxx11 release\": the standard library differs (libc++, not "
                 "libstdc++); rebuild it against libstdc++: with g++, or clang++ without "
                 "-stdlib=libc++"});
#endif
  RecordingObserver observer;
  Ide ide(observer, Ide::Options());
  for (const auto& c : all) {
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

// What the IDE tells an author whose package's tag differs from its own: the first field that
// differs, and what to change. A known IDE tag each, so the table holds on any build machine.
TEST(PackageAbi, TheFirstDifferingFieldOfTheTagIsNamedWithItsRemedy) {
  const struct {
    const char* ide;
    const char* package;
    const char* tail;  // the reason after the two tags; empty when the package may load
  } rows[] = {
      {"itanium libstdc++ cxx11 release", "itanium libstdc++ cxx11 release", ""},
      {"itanium libstdc++ cxx11 release", "msvc msvc-stl 143 release",
       "the C++ ABI differs (msvc, not itanium); rebuild it with GCC or Clang (MinGW on "
       "Windows), not MSVC"},
      {"itanium libc++ abi-1 release", "itanium libstdc++ cxx11 release",
       "the standard library differs (libstdc++, not libc++); rebuild it against libc++: "
       "clang++ -stdlib=libc++"},
      {"itanium libstdc++ old release", "itanium libstdc++ cxx11 release",
       "the standard library's ABI differs (cxx11, not old); rebuild it with "
       "-D_GLIBCXX_USE_CXX11_ABI=0, as the IDE was"},
      {"itanium libc++ abi-1 release", "itanium libc++ abi-2 release",
       "the standard library's ABI differs (abi-2, not abi-1); rebuild it with the IDE's libc++ "
       "ABI, abi-1"},
      {"itanium libc++ abi-1 release", "itanium libc++ abi-1 debug",
       "the standard library's mode differs (debug, not release); rebuild it without libc++'s "
       "debug mode"},
      {"itanium libstdc++ cxx11 debug", "itanium libstdc++ cxx11 release",
       "the standard library's mode differs (release, not debug); rebuild it in the standard "
       "library's debug mode, as the IDE was"},
      {"itanium libstdc++ cxx11 release", "something else",
       "rebuild it with this IDE's SDK (zeb_add_package) and this IDE's compiler"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.package);
    const auto refusal = PackageAbiRefusal(2, row.package, 2, row.ide);
    if (row.tail[0] == '\0') {
      EXPECT_FALSE(refusal) << *refusal;
      continue;
    }
    ASSERT_TRUE(refusal);
    EXPECT_EQ(*refusal, std::string("its C++ standard library tag is \"") + row.package +
                            "\", this IDE's \"" + row.ide + "\": " + row.tail);
  }
  // An older interface version loads; a newer one does not, whatever its tag.
  EXPECT_FALSE(PackageAbiRefusal(1, "a b c d", 2, "a b c d"));
  EXPECT_TRUE(PackageAbiRefusal(3, "a b c d", 2, "a b c d"));
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
  fs::create_directories(dir / Pkg("system/subfolder"));
  fs::create_directories(dir / "user");
  fs::copy_file(Fixture("LateBinding"), dir / Pkg("system/b"));
  fs::copy_file(Fixture("NotAPackage"), dir / Pkg("system/a"));
  fs::copy_file(Fixture("Good"), dir / Pkg("system/.hidden"));
  WriteFile(dir / "system/notes.txt", "not a package\n");
  fs::copy_file(Fixture("Good"), dir / Pkg("user/Good"));
  fs::copy_file(Fixture("LateBinding"), dir / Pkg("user/again"));
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
      "cannot load package " + dir / Pkg("system/a") +
          ": not a package: it has no ZebGetPackageInfo",
      "cannot load package " + dir / Pkg("user/again") +
          ": a package named LateBinding is already loaded from " + dir / Pkg("system/b"),
      "cannot read packages folder " + dir / "file/" + ": Not a directory",
  };
  EXPECT_EQ(observer.messages, expected);
}

// Unloading must really unmap the library, or code left behind in it would still seem to work.
TEST(PackageLoader, UnloadingUnmapsTheAddin) {
  const std::string name = Pkg("ZEB_IDE_Addin_2007");
  ASSERT_FALSE(LibraryLoaded(name));
  RecordingObserver observer;
  Ide ide(observer, Ide::Options());
  ASSERT_TRUE(ide.LoadPackage(ZEB_ADDIN_PATH));
  ASSERT_TRUE(LibraryLoaded(name));
  ide.UnloadPackages();
  EXPECT_FALSE(LibraryLoaded(name));
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

// Likewise a notifier its Finalize never removes: it hears nothing once its package has gone.
TEST(PackageLoader, NotifiersGoWithTheirPackage) {
  TempDir dir;
  WriteFile(dir / "a.pas", "unit a;\n");
  RecordingObserver observer;
  Ide ide(observer, Ide::Options());
  ASSERT_TRUE(ide.LoadPackage(Fixture("Keeper")));
  observer.messages.clear();
  Document& document = ide.Open(dir / "a.pas").GetDocument();
  document.Save();
  EXPECT_EQ(observer.messages, std::vector<std::string>{"Keeper: saved " + document.Path()});
  ide.UnloadPackages();
  document.Save();
  EXPECT_EQ(observer.messages.size(), 1u);
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
}  // namespace zeb
