// The package as a host loads it: Initialize runs uTrace's initialisation, and the C entry
// points it exports reach a viewer of the user's runtime directory.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <string>

#include "testkit/ViewerFixture.h"
#include "trace/ZebTrace.h"

namespace {

using EntryPoint = void (*)();
using TraceEntry = int (*)(const char*, const ZebTraceArg*, size_t, char*, size_t);

TEST(Package, ExportedTraceReachesTheUsersViewerAfterInitialize) {
  TempDir dir;
  chmod(dir.Path().c_str(), 0700);
  setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);
  RunningViewer viewer(dir.Path() + "/TFormTrace");

  void* package = dlopen(ZEB_PACKAGE_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(package, nullptr) << dlerror();
  const auto initialize = reinterpret_cast<EntryPoint>(dlsym(package, "Initialize"));
  const auto finalize = reinterpret_cast<EntryPoint>(dlsym(package, "Finalize"));
  const auto trace = reinterpret_cast<TraceEntry>(dlsym(package, "ZebTrace"));
  const auto rtrace = reinterpret_cast<TraceEntry>(dlsym(package, "ZebRTrace"));
  ASSERT_TRUE(initialize && finalize && trace && rtrace);
  EXPECT_NE(dlsym(package,
                  "_Z5TRACESt17basic_string_viewIcSt11char_"
                  "traitsIcEESt4spanIK7TVarRecLm18446744073709551615EE"),
            nullptr);

  initialize();
  ZebTraceArg arg{};
  arg.kind = ZEB_TRACE_INT32;
  arg.value.i32 = 5;
  EXPECT_EQ(trace("x=%d", &arg, 1, nullptr, 0), 0);
  EXPECT_EQ(rtrace("x=%d", &arg, 1, nullptr, 0), 0);
  finalize();
  dlclose(package);
  unsetenv("XDG_RUNTIME_DIR");

  const auto messages = viewer.Messages();
  ASSERT_EQ(messages.size(), 1U);
  EXPECT_EQ(messages[0].text, "x=5|0|.|.|.");
  EXPECT_EQ(messages[0].cbData, 12U);
}

}  // namespace
