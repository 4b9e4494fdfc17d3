// The editing extension inside the real Geany: examples/addin-lines as its author ships it (built
// against an installation of this build, loaded by the installed plugin) duplicates and sorts
// lines, each key one step of Geany's undo; and a fixture package shows what only the editor
// shows: two changes in one key press undone in one step, a file opened as a module, the events
// of Geany's documents and the message line.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/ide/geany/GeanySession.h"

namespace zeb::test {

namespace {

// Waits until the file holds `expected` (Geany saves asynchronously to the keys sent) and
// returns what it holds then.
std::string SavedAs(const std::string& path, const std::string& expected) {
  WaitFor([&] { return ReadFile(path) == expected; });
  return ReadFile(path);
}

// Where `text` stands in `log` after `from`, or npos.
std::size_t After(const std::string& log, const std::string& text, std::size_t from) {
  return from == std::string::npos ? from : log.find(text, from);
}

}  // namespace

TEST(GeanyEditing, TheLinesExampleDuplicatesAndSortsEachKeyOneUndoStep) {
  TempDir top;
  const std::string prefix = top / "prefix";
  ASSERT_EQ(test::Run({ZEB_CMAKE, "--install", ZEB_BUILD_DIR, "--prefix", prefix}).status, 0);
  const std::string source = top / "lines-src";
  std::filesystem::copy(ZEB_SOURCE_DIR "/examples/addin-lines", source,
                        std::filesystem::copy_options::recursive);
  ASSERT_EQ(test::Run({ZEB_CMAKE, "-S", source, "-B", top / "lines", "-G", "Ninja",
                       "-DCMAKE_PREFIX_PATH=" + prefix, "-DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF"})
                .status,
            0);
  ASSERT_EQ(test::Run({ZEB_CMAKE, "--build", top / "lines", "--target", "AddinLines"}).status, 0);

  // LF, and CRLF with multi-byte text. (Geany's save adds a missing final line end and drops the
  // selection then, so both texts end with one.)
  struct Row {
    std::string text, duplicated, sorted;
  };
  const Row rows[] = {
      {"pear\nfig\napple\n", "pear\nfig\npear\nfig\napple\n", "pear\nfig\nfig\npear\napple\n"},
      {"\xC3\xA9t\xC3\xA9\r\nz\xC3\xA9\r\na\r\n",
       "\xC3\xA9t\xC3\xA9\r\nz\xC3\xA9\r\n\xC3\xA9t\xC3\xA9\r\nz\xC3\xA9\r\na\r\n",
       "\xC3\xA9t\xC3\xA9\r\nz\xC3\xA9\r\nz\xC3\xA9\r\n\xC3\xA9t\xC3\xA9\r\na\r\n"},
  };
  XDisplay display;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    TempDir work;
    const std::string path = work / "Names.txt";
    WriteFile(path, row.text);
    GeanySession geany(display, {.pluginFile = prefix + "/" ZEB_GEANY_PLUGIN_DIR "/zeb-geany.so",
                                 .files = {path},
                                 .userPackages = {top / "lines/AddinLines.so"}});
    // Lines 1 and 2 selected: the copy goes below them and is selected, then sorted.
    geany.Keys({"ctrl+Home", "shift+Down", "shift+Down", "ctrl+alt+d", "ctrl+s"});
    EXPECT_EQ(SavedAs(path, row.duplicated), row.duplicated);
    EXPECT_TRUE(geany.WaitForLog("zeb-geany: Duplicated 2 lines")) << geany.Log();
    geany.Keys({"ctrl+alt+s", "ctrl+s"});
    EXPECT_EQ(SavedAs(path, row.sorted), row.sorted);
    // One Ctrl+Z a key.
    geany.Keys({"ctrl+z", "ctrl+s"});
    EXPECT_EQ(SavedAs(path, row.duplicated), row.duplicated);
    geany.Keys({"ctrl+z", "ctrl+s"});
    EXPECT_EQ(SavedAs(path, row.text), row.text);
    EXPECT_TRUE(geany.Running());
  }
}

TEST(GeanyEditing, OneKeyIsOneStepFilesOpenAndDocumentsTellTheirEvents) {
  XDisplay display;
  TempDir work;
  const std::string a = work / "a.pas";
  const std::string b = work / "b.pas";
  WriteFile(a, "unit A;\n");
  GeanySession geany(display, {.files = {a},
                               .userPackages = {ZEB_FIXTURE_DIR "/EditorEvents.so"},
                               .variables = {{"ZEB_FIXTURE_OPEN", b}}});

  geany.Keys({"ctrl+alt+e", "ctrl+s"});
  EXPECT_EQ(SavedAs(a, "first\nunit A;\nlast\n"), "first\nunit A;\nlast\n");
  EXPECT_TRUE(geany.WaitForLog("zeb-geany: FileSaved " + a)) << geany.Log();
  geany.Keys({"ctrl+z", "ctrl+s"});
  EXPECT_EQ(SavedAs(a, "unit A;\n"), "unit A;\n") << "two changes in one key, one undo step";

  geany.Keys({"ctrl+alt+o"});
  EXPECT_TRUE(geany.WaitForLog("zeb-geany: open failed: cannot open " + b + ": ")) << geany.Log();
  WriteFile(b, "unit B;\n");
  geany.Keys({"ctrl+alt+o"});
  ASSERT_TRUE(geany.WaitForLog("zeb-geany: opened " + b + "; modules: " + a + ", " + b))
      << geany.Log();
  geany.Keys({"ctrl+w"});
  ASSERT_TRUE(geany.WaitForLog("zeb-geany: TopViewChanged to \"unit A;\"")) << geany.Log();
  // In the order they happened: b opened and shown, then closed and a shown again.
  const std::string log = geany.Log();
  std::size_t at = log.find("zeb-geany: FileOpened " + b);
  for (const std::string& next : std::vector<std::string>{
           "zeb-geany: TopViewChanged to \"unit B;\"", "zeb-geany: opened " + b,
           "zeb-geany: FileClosed " + b, "zeb-geany: TopViewChanged to \"unit A;\""})
    EXPECT_NE(at = After(log, next, at), std::string::npos) << next << " in:\n" << log;
  EXPECT_TRUE(geany.Running());
}

}  // namespace zeb::test
