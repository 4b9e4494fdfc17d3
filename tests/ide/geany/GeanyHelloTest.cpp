// examples/addin-hello as its author ships it: built against an installation of this build,
// put into the user's packages folder, and loaded by the installed plugin in Geany. Ctrl+Alt+T
// answers with its dialog, and its traces reach a zeb-trace of the test's own.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/ide/geany/GeanySession.h"

namespace zeb::test {

TEST(GeanyHello, TheExampleBuiltAgainstTheInstallationAnswersAndTraces) {
  TempDir top;
  const std::string prefix = top / "prefix";
  ASSERT_EQ(test::Run({ZEB_CMAKE, "--install", ZEB_BUILD_DIR, "--prefix", prefix}).status, 0);
  const std::string source = top / "hello-src";
  std::filesystem::copy(ZEB_SOURCE_DIR "/examples/addin-hello", source,
                        std::filesystem::copy_options::recursive);
  ASSERT_EQ(test::Run({ZEB_CMAKE, "-S", source, "-B", top / "hello", "-G", "Ninja",
                       "-DCMAKE_PREFIX_PATH=" + prefix, "-DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF"})
                .status,
            0);
  ASSERT_EQ(test::Run({ZEB_CMAKE, "--build", top / "hello", "--target", "AddinHello"}).status, 0);

  // The viewer first: the package traces as soon as it is loaded.
  const std::string run = top / "run";
  std::filesystem::create_directories(run);
  ::chmod(run.c_str(), 0700);
  Process viewer({prefix + "/bin/zeb-trace", "--output", top / "traces"},
                 {{"XDG_RUNTIME_DIR", run}}, top / "viewer.log");
  ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(run + "/TFormTrace"); }));

  XDisplay display;
  TempDir work;
  WriteFile(work / "Sample.pas", "unit Sample;\n\ninterface\n\nend.\n");
  GeanySession geany(display, {.pluginFile = prefix + "/" ZEB_GEANY_PLUGIN_DIR "/zeb-geany.so",
                               .files = {work / "Sample.pas"},
                               .userPackages = {top / "hello/AddinHello.so"},
                               .variables = {{"XDG_RUNTIME_DIR", run}}});
  EXPECT_NE(geany.Log().find(" loaded from " + prefix + "/lib/zeb-ide/packages/, "),
            std::string::npos)
      << geany.Log();

  geany.Keys({"ctrl+Home", "Down", "ctrl+alt+t"});
  ASSERT_TRUE(WaitFor([&] { return display.WindowsTitled("Hello").size() == 1; }));
  display.Keys({"Escape"});
  EXPECT_TRUE(WaitFor([&] { return display.WindowsTitled("Hello").empty(); }));

  const std::string expected = "hello: key 0xC054 in Sample.pas at 2:1, block of 0 bytes|0|.|.|.";
  auto traces = [&] {
    return std::filesystem::exists(top / "traces") ? ReadFile(top / "traces") : std::string();
  };
  EXPECT_TRUE(WaitFor([&] { return traces().find(expected) != std::string::npos; })) << traces();
  for (const char* line : {"] hello: loaded|0|.|.|.", "] hello: BindKeyboard binds 0xC054|0|.|.|."})
    EXPECT_NE(traces().find(line), std::string::npos) << line << " in:\n" << traces();
}

}  // namespace zeb::test
