// What the IDE reports about itself on Linux: the XDG base directories.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "ide/core/IdeEnvironment.h"

namespace zeb {
namespace {

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

}  // namespace
}  // namespace zeb
