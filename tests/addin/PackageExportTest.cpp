// The package as a host loads it (dlopen, or LoadLibraryW): Initialize runs uTrace's
// initialisation, and the entry points it exports reach the user's viewer.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "testkit/PackageImage.h"
#include "testkit/UserViewer.h"
#include "trace/ZebTrace.h"

namespace zeb {

namespace {

using EntryPoint = void (*)();
using TraceEntry = int (*)(const char*, const ZebTraceArg*, size_t, char*, size_t);

// TRACE(std::string_view, std::span<const TVarRec>), whose dynamic extent is a size_t: unsigned
// long on LP64, unsigned long long on Win64.
constexpr const char* kTraceSymbol =
    sizeof(std::size_t) == sizeof(unsigned long)
        ? "_Z5TRACESt17basic_string_viewIcSt11char_"
          "traitsIcEESt4spanIKN3zeb7TVarRecELm18446744073709551615EE"
        : "_Z5TRACESt17basic_string_viewIcSt11char_"
          "traitsIcEESt4spanIKN3zeb7TVarRecELy18446744073709551615EE";

TEST(Package, ExportedTraceReachesTheUsersViewerAfterInitialize) {
  UserViewer viewer;
  {
    zeb::test::PackageImage package(ZEB_PACKAGE_PATH);
    ASSERT_EQ(package.Error(), "");
    const auto initialize = reinterpret_cast<EntryPoint>(package.Symbol("Initialize"));
    const auto finalize = reinterpret_cast<EntryPoint>(package.Symbol("Finalize"));
    const auto trace = reinterpret_cast<TraceEntry>(package.Symbol("ZebTrace"));
    const auto rtrace = reinterpret_cast<TraceEntry>(package.Symbol("ZebRTrace"));
    ASSERT_TRUE(initialize && finalize && trace && rtrace);
    EXPECT_NE(package.Symbol(kTraceSymbol), nullptr);

    initialize();
    ZebTraceArg arg{};
    arg.kind = ZEB_TRACE_INT32;
    arg.value.i32 = 5;
    EXPECT_EQ(trace("x=%d", &arg, 1, nullptr, 0), 0);
    EXPECT_EQ(rtrace("x=%d", &arg, 1, nullptr, 0), 0);
    finalize();
  }
  const auto messages = viewer.Messages();
  ASSERT_EQ(messages.size(), 1U);
  EXPECT_EQ(messages[0].text, "x=5|0|.|.|.");
  EXPECT_EQ(messages[0].cbData, 12U);
}

}  // namespace

}  // namespace zeb
