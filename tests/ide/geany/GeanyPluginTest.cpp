// The plugin in the real Geany, driven with key presses as a user drives it: each test has an X
// display, a Geany and a configuration folder of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/ide/geany/GeanySession.h"

namespace zeb::test {

namespace {

// Waits until the file holds `expected` (Geany saves asynchronously to the keys sent) and
// returns what it holds then.
std::string SavedAs(const std::string& path, const std::string& expected) {
  WaitFor([&] { return ReadFile(path) == expected; }, std::chrono::seconds(30));
  return ReadFile(path);
}

// Moves to the start of line `line` (from 1), then selects `count` lines down from there.
std::vector<std::string> SelectLines(int line, int count) {
  std::vector<std::string> keys = {"ctrl+Home"};
  for (int i = 1; i < line; ++i)
    keys.push_back("Down");
  for (int i = 0; i < count; ++i)
    keys.push_back("shift+Down");
  return keys;
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The LF text and what Tab makes of its lines 5 to 7 at 2 and 4 columns.
const std::string kUnit =
    "unit Sample;\n\ninterface\n\nuses\n  SysUtils, Classes;\n\ntype\n  TFoo = class\n  end;\n";
const std::string kUnitBy2 =
    "unit Sample;\n\ninterface\n\n  uses\n    SysUtils, Classes;\n\ntype\n"
    "  TFoo = class\n  end;\n";
const std::string kUnitBy4 =
    "unit Sample;\n\ninterface\n\n    uses\n      SysUtils, Classes;\n\n"
    "type\n  TFoo = class\n  end;\n";

std::string Crlf(std::string text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace

// Tab indents three selected lines by the file's rule and the block stays, Shift+Tab takes the
// indent away again, and Ctrl+Z undoes one block command in one step; the bytes saved are exact,
// line ends included.
TEST(GeanyPlugin, BlockCommandsIndentUnindentAndUndoInOneStep) {
  struct Row {
    const char* file;
    std::string text;
    std::string indented;
  };
  const Row rows[] = {
      {"Sample.pas", kUnit, kUnitBy2},
      {"Sample.cpp", kUnit, kUnitBy4},
      {"Crlf.pas", Crlf(kUnit), Crlf(kUnitBy2)},
  };
  XDisplay display;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.file);
    TempDir work;
    const std::string path = work / row.file;
    WriteFile(path, row.text);
    GeanySession geany(display, {.files = {path}});

    geany.Keys(SelectLines(5, 3) + std::vector<std::string>{"Tab", "ctrl+s"});
    EXPECT_EQ(SavedAs(path, row.indented), row.indented);
    if (std::string(row.file) == "Sample.pas") geany.Screenshot("readme-geany-editor.png");

    // The block still covers the same lines: Shift+Tab takes back exactly what Tab put in.
    geany.Keys({"shift+Tab", "ctrl+s"});
    EXPECT_EQ(SavedAs(path, row.text), row.text);

    // Two indents, one undo: one indent is left.
    geany.Keys({"Tab", "Tab", "ctrl+z", "ctrl+s"});
    EXPECT_EQ(SavedAs(path, row.indented), row.indented);
    EXPECT_TRUE(geany.Running());
  }
}

// Without a block the add-in passes Tab on, and Geany inserts what it inserts without the plugin.
TEST(GeanyPlugin, TabWithoutBlockDoesWhatGeanyDoes) {
  XDisplay display;
  std::string results[2];
  for (const bool plugin : {false, true}) {
    TempDir work;
    const std::string path = work / "Main.cpp";
    WriteFile(path, "int main()\n{\nreturn 0;\n}\n");
    GeanySession geany(display, {.plugin = plugin, .files = {path}});
    geany.Keys({"ctrl+Home", "Down", "Down", "Tab", "ctrl+s"});
    WaitFor([&] { return ReadFile(path) != "int main()\n{\nreturn 0;\n}\n"; },
            std::chrono::seconds(30));
    results[plugin ? 1 : 0] = ReadFile(path);
  }
  EXPECT_NE(results[0], "int main()\n{\nreturn 0;\n}\n") << "Geany inserted nothing";
  EXPECT_EQ(results[1], results[0]);
}

// Ctrl+Alt+U opens the add-in's dialog as its form lays it out, centred over Geany; it reports
// Geany's module (the unit with its form file) and folders, and Escape closes and frees it.
TEST(GeanyPlugin, InformationDialogIsDrawnFromTheFormAndClosesWithEscape) {
  XDisplay display;
  TempDir work;
  WriteFile(work / "Unit1.pas", kUnit);
  WriteFile(work / "Unit1.dfm", "object Form1: TForm1\nend\n");
  GeanySession geany(display, {.files = {work / "Unit1.pas"}});
  geany.Keys({"ctrl+Home", "Down", "ctrl+alt+u"});
  ASSERT_TRUE(WaitFor([&] { return display.WindowsTitled("Information...").size() == 1; }));
  const std::string dialog = display.WindowsTitled("Information...").front();
  const XDisplay::Geometry inner = display.GeometryOf(dialog);
  EXPECT_EQ(inner.width, 782);
  EXPECT_EQ(inner.height, 462);
  // Centred over Geany's window, give or take the dialog's title bar.
  const XDisplay::Geometry main = display.GeometryOf(geany.MainWindow());
  EXPECT_NEAR(inner.x + inner.width / 2, main.x + main.width / 2, 40);
  EXPECT_NEAR(inner.y + inner.height / 2, main.y + main.height / 2, 40);
  geany.Screenshot("readme-geany-dialog.png");

  display.Keys({"ctrl+a", "ctrl+c"});
  std::string report;
  WaitFor([&] { return (report = display.Clipboard()).find("EditView") != std::string::npos; });
  report += '\n';  // the memo's last line ends the text
  const std::string config = geany.Folder() / "config/";
  for (const std::string& line : std::vector<std::string>{
           "IOTAServices.GetProductIdentifier : ZebGeany\n",
           "IOTAServices.GetLocalApplicationDataDirectory : " + config + "plugins/zeb-geany/\n",
           "IOTAServices.GetBaseRegistryKey : " + config + "\n",
           std::string("IOTAServices.GetActiveDesignerType : VCL\n"),
           std::string("CurrentModule.ModuleFileCount : 2\n"),
           "CurrentModule.Editor.FileName : " + work / "Unit1.pas\n",
           std::string("SubViewIdentifier : Unit1.dfm\n"),
           std::string("EditView.CursorPos.Line : 2\n"),
           std::string("EditView.Position.LastRow : 11\n")})
    EXPECT_NE(report.find(line), std::string::npos) << line << "in:\n" << report;

  display.Keys({"Escape"});
  EXPECT_TRUE(WaitFor([&] { return display.WindowsTitled("Information...").empty(); }));

  // The unit closed and a new document opened: the add-in sees that one, alone in its module.
  geany.Keys({"ctrl+w", "ctrl+n", "ctrl+alt+u"});
  ASSERT_TRUE(WaitFor([&] { return display.WindowsTitled("Information...").size() == 1; }));
  display.Keys({"ctrl+a", "ctrl+c"});
  WaitFor([&] { return (report = display.Clipboard()).find("untitled") != std::string::npos; });
  for (const char* line :
       {"ModuleServices.ModuleCount : 1\n", "CurrentModule.ModuleFileCount : 1\n",
        "CurrentModule.Editor.FileName : untitled\n"})
    EXPECT_NE(report.find(line), std::string::npos) << line << "in:\n" << report;
  display.Keys({"Escape"});
  EXPECT_TRUE(WaitFor([&] { return display.WindowsTitled("Information...").empty(); }));
  EXPECT_TRUE(geany.Running());
}

// A package that does not load is reported with its file and reason, a key procedure that raises
// is reported with the key and the exception; Geany goes on, the key consumed.
TEST(GeanyPlugin, FaultsAreShownAndGeanyGoesOn) {
  XDisplay display;
  TempDir work;
  const std::string path = work / "Main.cpp";
  WriteFile(path, "int x;\n");
  const std::string fixtures = ZEB_FIXTURE_DIR;
  GeanySession geany(display,
                     {.files = {path},
                      .userPackages = {fixtures + "/KeyThrows.so", fixtures + "/NotAPackage.so"}});
  EXPECT_TRUE(geany.WaitForLog("zeb-geany: cannot load package " + geany.UserPackages() +
                               "/NotAPackage.so: "))
      << geany.Log();

  // Tab without a block: the add-in passes it on, the next package's procedure raises.
  geany.Keys({"ctrl+Home", "Tab"});
  EXPECT_TRUE(
      geany.WaitForLog("zeb-geany: key Tab 0x0009 in package KeyThrows, binding KeyThrows raised "
                       "EInvalidOperation: Tab is broken in this package"))
      << geany.Log();
  geany.Screenshot("geany-fault.png");
  // The key that raised was consumed: no tab went in before the letter typed next.
  geany.Keys({"z", "ctrl+s"});
  EXPECT_EQ(SavedAs(path, "zint x;\n"), "zint x;\n");
  EXPECT_TRUE(geany.Running());
}

// Tools -> "Add-in Packages..." lists each loaded package's identity as zeb-host --packages does.
TEST(GeanyPlugin, ToolsMenuListsThePackages) {
  XDisplay display;
  TempDir work;
  WriteFile(work / "Main.cpp", "int x;\n");
  GeanySession geany(display, {.files = {work / "Main.cpp"}});
  geany.Keys({"alt+t", "a"});
  ASSERT_TRUE(WaitFor([&] { return display.WindowsTitled("Add-in Packages").size() == 1; }));
  display.Keys({"ctrl+a", "ctrl+c"});
  std::string listing;
  WaitFor([&] { return (listing = display.Clipboard()).find("Contains") != std::string::npos; });
  EXPECT_EQ(listing.rfind("ZEB_IDE_Addin_2007: ", 0), 0u) << listing;
  EXPECT_NE(listing.find("  Found in: system packages folder "), std::string::npos) << listing;
  EXPECT_NE(listing.find("/lib/zeb-ide/packages/ZEB_IDE_Addin_2007.so\n"), std::string::npos)
      << listing;
  display.Keys({"Escape"});
  EXPECT_TRUE(WaitFor([&] { return display.WindowsTitled("Add-in Packages").empty(); }));
}

// Disabling the plugin in the Plugin Manager unloads the packages and releases every object
// handed out; enabling it loads them again. Twenty rounds leave no object behind and Geany's
// memory where it was after the first few.
TEST(GeanyPlugin, DisableAndEnableTwentyTimesLeavesNothingBehind) {
  XDisplay display;
  TempDir work;
  WriteFile(work / "Unit1.pas", kUnit);
  GeanySession geany(display, {.files = {work / "Unit1.pas"}});
  geany.Keys({"alt+t", "p"});
  ASSERT_TRUE(WaitFor([&] { return display.WindowsTitled("Plugins").size() == 1; }));
  display.Tool({"xdotool", "type", "--delay", "40", "ZEB IDE"});
  display.Keys({"Tab"});
  auto count = [&](const std::string& text) {
    const std::string log = geany.Log();
    std::size_t n = 0;
    for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
      ++n;
    return n;
  };
  long settled = 0;
  for (std::size_t round = 1; round <= 20; ++round) {
    display.Keys({"space"});
    ASSERT_TRUE(WaitFor([&] { return count("every object released") == round; }))
        << "round " << round << ":\n"
        << geany.Log();
    display.Keys({"space"});
    ASSERT_TRUE(WaitFor([&] { return count(" loaded from ") == round + 1; }))
        << "round " << round << ":\n"
        << geany.Log();
    if (round == 5) settled = geany.ResidentKib();
  }
  EXPECT_EQ(count("still held"), 0u) << geany.Log();
  const long grown = geany.ResidentKib() - settled;
  RecordProperty("resident_growth_kib", std::to_string(grown));
  EXPECT_LT(grown, 2048) << "Geany grew by " << grown << " KiB over 15 rounds";
  // Enabled again, the add-in answers.
  display.Keys({"Escape"});
  ASSERT_TRUE(WaitFor([&] { return display.WindowsTitled("Plugins").empty(); }));
  geany.Keys(SelectLines(5, 3) + std::vector<std::string>{"Tab", "ctrl+s"});
  EXPECT_EQ(SavedAs(work / "Unit1.pas", kUnitBy2), kUnitBy2);
}

}  // namespace zeb::test
