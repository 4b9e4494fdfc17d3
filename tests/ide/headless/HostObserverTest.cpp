// What zeb-host prints of an add-in's words on standard error.
#include "ide/headless/HostObserver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "ide/app/Ide.h"
#include "ide/core/PackageLibrary.h"
#include "testkit/TestSupport.h"

namespace zeb {
namespace {

// A Register that raises with a line break and an escape sequence in its message cannot forge a
// second line of zeb-host's, nor clear the terminal.
TEST(HostObserver, AnAddinsMessageStaysOneEscapedLineOnStandardError) {
  std::FILE* err = std::tmpfile();
  CheckedOutput out(stdout);
  {
    HostObserver observer(out, err);
    Ide ide(observer);
    const std::string package = std::string(ZEB_FIXTURE_DIR) + "/RegisterThrows" +
                                std::string(PackageLibrary::FileSuffix());
    EXPECT_FALSE(ide.LoadPackage(package));
  }
  std::string printed(static_cast<std::size_t>(std::ftell(err)), '\0');
  std::rewind(err);
  printed.resize(std::fread(printed.data(), 1, printed.size(), err));
  std::fclose(err);
  EXPECT_EQ(printed.find('\n'), printed.size() - 1) << printed;
  EXPECT_EQ(printed.find('\x1B'), std::string::npos) << printed;
  const std::string tail =
      "Register raised EInOutError: the fixture failed on purpose\\nzeb-host: forged "
      "line\\x1B[2J\n";
  EXPECT_EQ(printed.substr(printed.size() - std::min(printed.size(), tail.size())), tail);
}

}  // namespace
}  // namespace zeb
