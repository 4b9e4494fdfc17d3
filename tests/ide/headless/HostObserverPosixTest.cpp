// What zeb-host prints of an add-in's dialog: one output line per memo line, whatever they hold,
// here file names with line breaks, escapes and bytes that are no UTF-8, which only POSIX
// systems allow.
#include "ide/headless/HostObserver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ide/app/Ide.h"
#include "runtime/KeyCodes.h"
#include "testkit/TestSupport.h"

namespace zeb {
namespace {

using zeb::test::TempDir;
using zeb::test::WriteFile;

std::string Contents(std::FILE* file) {
  std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
  std::rewind(file);
  text.resize(std::fread(text.data(), 1, text.size(), file));
  return text;
}

TEST(HostObserver, AFileNameCannotForgeTheEndOfADialogNorDriveTheTerminal) {
  const struct {
    const char* name;
    const char* printed;
  } rows[] = {
      {"a\nend dialog\nb\t\x1B[2J\\.pas", "a\\nend dialog\\nb\\t\\x1B[2J\\\\.pas"},
      // C1 controls: U+009B (CSI) in UTF-8, and the byte 0x9B alone.
      {"c\xC2\x9B"
       "2J \x9B"
       "2J \xC2\xA0.pas",
       "c\\u009B2J \\x9B2J \xC2\xA0.pas"},
  };
  for (const auto& row : rows) {
    TempDir dir;
    const std::string name = dir / row.name;
    WriteFile(name, "x\n");
    std::FILE* out = std::tmpfile();
    {
      CheckedOutput output(out);
      HostObserver observer(output, stderr);
      zeb::Ide ide(observer);
      ASSERT_TRUE(ide.LoadPackage(ZEB_ADDIN_PATH));
      ide.Open(name);
      ide.PressKey(ShortCut(vkU, TShiftState::Ctrl | TShiftState::Alt));
      output.Flush();
    }
    const std::string printed = Contents(out);
    std::fclose(out);
    std::size_t ends = 0;
    for (std::size_t at = printed.find("\nend dialog\n"); at != std::string::npos;
         at = printed.find("\nend dialog\n", at + 1))
      ++ends;
    EXPECT_EQ(ends, 1u) << printed;
    EXPECT_NE(
        printed.find("\nCurrentModule.Editor.FileName : " + dir.Path() + "/" + row.printed + "\n"),
        std::string::npos)
        << printed;
  }
}

}  // namespace
}  // namespace zeb
