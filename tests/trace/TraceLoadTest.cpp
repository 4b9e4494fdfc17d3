// The trace unit's context is set when the library holding it is loaded: a package (or program)
// whose author never calls InitializeuTrace sends the same suffix as one that does. A program of
// its own, so that no other test has run the unit's initialisation or finalisation before.
#include <gtest/gtest.h>

#include "tests/trace/FakeTransport.h"
#include "trace/uTrace.h"

namespace zeb {
namespace {

TEST(TraceContext, IsSetWhenTheLibraryLoadsWithoutInitializeuTrace) {
  FakeTransport fake;
  const ScopedTransport scope(fake);
  TRACE("x=%d", 5);
  ASSERT_EQ(fake.sent.size(), 1U);
  EXPECT_EQ(fake.sent[0].bytes, std::string("x=5|0|.|.|.\0", 12));
  // The unit's own initialisation, when a package does call it, changes nothing.
  InitializeuTrace();
  TRACE("");
  ASSERT_EQ(fake.sent.size(), 2U);
  EXPECT_EQ(fake.sent[1].bytes, std::string("|0|.|.|.\0", 9));
}

}  // namespace
}  // namespace zeb
