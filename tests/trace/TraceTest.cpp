// TRACE's contract, seen through a transport that counts lookups and sends.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <fstream>
#include <new>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "runtime/Exceptions.h"
#include "tests/trace/FakeTransport.h"
#include "trace/uTrace.h"

namespace zeb {

namespace {

class Trace : public ::testing::Test {
 protected:
  void SetUp() override { InitializeuTrace(); }
  void TearDown() override { FinalizeuTrace(); }

  FakeTransport fake;
  ScopedTransport scope{fake};
};

struct TextRow {
  const char* name;
  std::string fmt;
  std::vector<TVarRec> args;
  std::string text;  // without the terminating NUL
};

TEST_F(Trace, SendsTheMessageWithTheSuffixAndCountsEveryByte) {
  const std::vector<TextRow> rows = {
      {"empty format sends the suffix alone", "", {}, "|0|.|.|."},
      {"x=%d with 5", "x=%d", {5}, "x=5|0|.|.|."},
      {"NUL inside an argument",
       "<%s>",
       {std::string_view("a\0b", 3)},
       std::string("<a\0b>|0|.|.|.", 13)},
      {"text kept as it is", "%s", {"tab\there\n"}, "tab\there\n|0|.|.|."},
  };
  for (const TextRow& row : rows) {
    fake.sent.clear();
    TRACE(row.fmt, row.args);
    ASSERT_EQ(fake.sent.size(), 1U) << row.name;
    const SentRecord& r = fake.sent[0];
    EXPECT_EQ(r.cbData, row.text.size() + 1) << row.name;
    EXPECT_EQ(r.bytes, row.text + std::string(1, '\0')) << row.name;
    EXPECT_EQ(r.dwData, static_cast<std::uintptr_t>(getpid())) << row.name;
  }
  EXPECT_EQ(fake.sent.size(), 1U);
}

TEST_F(Trace, EmptyFormatIsEightCharactersAndCbDataNine) {
  TRACE("");
  ASSERT_EQ(fake.sent.size(), 1U);
  EXPECT_EQ(fake.sent[0].cbData, 9U);
  TRACE("x=%d", 5);
  ASSERT_EQ(fake.sent.size(), 2U);
  EXPECT_EQ(fake.sent[1].cbData, 12U);
  EXPECT_EQ(fake.sent[1].bytes.substr(0, 11), "x=5|0|.|.|.");
}

TEST_F(Trace, LooksTheViewerUpOnceAndKeepsIt) {
  TRACE("one");
  TRACE("two");
  TRACE("three");
  EXPECT_EQ(fake.finds, 1);
  ASSERT_EQ(fake.sent.size(), 3U);
  for (const SentRecord& r : fake.sent)
    EXPECT_EQ(r.viewer, 100U);
  EXPECT_EQ(CurrentTraceWindow(), 100U);
}

TEST_F(Trace, LooksAgainOnEveryCallWhileNoViewerIsFound) {
  fake.viewerRunning = false;
  TRACE("a");
  TRACE("b");
  EXPECT_EQ(fake.finds, 2);
  EXPECT_TRUE(fake.sent.empty());
  fake.viewerRunning = true;
  TRACE("c");
  TRACE("d");
  EXPECT_EQ(fake.finds, 3);
  EXPECT_EQ(fake.sent.size(), 2U);
}

// What a send reports decides whether the viewer is kept, and whether this message goes to a
// viewer looked up anew.
TEST_F(Trace, AfterEachKindOfSendKeepsOrDropsTheViewer) {
  using R = TraceSendResult;
  const struct {
    const char* name;
    TraceSendResult result;
    std::size_t sendsInTheCall;
    TraceOutcome outcome;
    TraceHandle heldAfter;
  } rows[] = {
      {"delivered", R::Delivered, 1, TraceOutcome::Delivered, 100},
      {"refused", R::Refused, 1, TraceOutcome::Refused, 100},
      {"timed out, the stream whole", R::TimedOut, 1, TraceOutcome::TimedOut, 100},
      {"broken part way", R::Broken, 1, TraceOutcome::Lost, 0},
      {"gone before any of it", R::Gone, 2, TraceOutcome::Delivered, 101},
  };
  for (const auto& row : rows) {
    SetTraceTransport(&fake);  // forgets the viewer of the row before
    fake.next = 100;
    fake.finds = 0;
    TRACE("warm");
    fake.sent.clear();
    fake.results = {row.result};
    EXPECT_EQ(Delivery("x"), row.outcome) << row.name;
    ASSERT_EQ(fake.sent.size(), row.sendsInTheCall) << row.name;
    EXPECT_EQ(fake.sent.back().viewer, row.heldAfter == 0 ? 100 : row.heldAfter) << row.name;
    EXPECT_EQ(CurrentTraceWindow(), row.heldAfter) << row.name;
    // A viewer dropped is looked up again by the next call.
    TRACE("next");
    EXPECT_EQ(fake.finds, row.heldAfter == 100 ? 1 : 2) << row.name;
  }
  // A viewer looked up in this very call that is gone is not looked up again at once.
  SetTraceTransport(&fake);
  fake.finds = 0;
  fake.sent.clear();
  fake.results = {TraceSendResult::Gone};
  EXPECT_EQ(Delivery("x"), TraceOutcome::Lost);
  EXPECT_EQ(fake.finds, 1);
  EXPECT_EQ(fake.sent.size(), 1U);
  EXPECT_EQ(CurrentTraceWindow(), 0U);
}

// Memory runs out while formatting: TRACE drops the message instead of ending the program. In a
// child process whose address space is capped just above what it uses.
TEST_F(Trace, OutOfMemoryDropsTheMessage) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than any cap would allow";
#else
  std::string wide;
  for (int i = 0; i < 60; ++i)
    wide += "%0:1048576d";
  const pid_t child = fork();
  if (child == 0) {
    std::ifstream status("/proc/self/status");
    std::string line;
    long kib = 0;
    while (std::getline(status, line)) {
      if (line.rfind("VmSize:", 0) == 0) kib = std::stol(line.substr(7));
    }
    const rlim_t cap = static_cast<rlim_t>(kib + (40 << 10)) << 10;
    const rlimit limit{cap, cap};
    if (kib == 0 || setrlimit(RLIMIT_AS, &limit) != 0) _exit(3);
    const TVarRec one[] = {1};
    try {
      Format(wide, one);
      _exit(4);  // the cap did not bite: the test proves nothing
    } catch (const std::bad_alloc&) {
    }
    _exit(TraceDelivery(wide, one) == TraceOutcome::OutOfMemory ? 0 : 5);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the child died of signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
#endif
}

TEST_F(Trace, KeepsTheLastErrorValueThatStoodAfterFormatting) {
  for (const bool running : {false, true}) {
    fake.viewerRunning = running;
    errno = ENOTDIR;
    TRACE("x=%d", 1);
    EXPECT_EQ(errno, ENOTDIR) << (running ? "with a viewer" : "without a viewer");
  }
  EXPECT_GE(fake.finds, 2);  // the fake did change errno in between
}

TEST_F(Trace, FormatErrorRaisesBeforeAnyLookupOrSend) {
  EXPECT_THROW(TRACE("%d", "text"), EConvertError);
  EXPECT_THROW(TRACE("%s %s", "one"), EConvertError);
  EXPECT_EQ(fake.finds, 0);
  EXPECT_TRUE(fake.sent.empty());
}

TEST_F(Trace, RtraceDoesNothing) {
  RTRACE("x=%d", 5);
  RTRACE("%d", "not even checked");
  const TVarRec args[] = {5};
  RTRACE("x=%d", args);
  EXPECT_EQ(fake.finds, 0);
  EXPECT_TRUE(fake.sent.empty());
}

TEST_F(Trace, ThreadsRacingToTheFirstLookupKeepOneViewer) {
  constexpr int kThreads = 8;
  constexpr int kEach = 50;
  fake.gatherLookups = kThreads;  // every thread's first message looks the viewer up at once
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kEach; ++i)
        TRACE("thread %d message %d", t, i);
    });
  }
  for (auto& th : threads)
    th.join();
  ASSERT_EQ(fake.sent.size(), static_cast<std::size_t>(kThreads * kEach));
  std::set<TraceHandle> used;
  for (const SentRecord& r : fake.sent)
    used.insert(r.viewer);
  // Every handle found but not kept was given back; all sends went to the one kept.
  EXPECT_EQ(used.size(), 1U);
  EXPECT_EQ(fake.released.size(), static_cast<std::size_t>(fake.finds - 1));
  EXPECT_EQ(used.count(CurrentTraceWindow()), 1U);
}

TEST_F(Trace, FinalisationGivesTheViewerBack) {
  TRACE("x");
  FinalizeuTrace();
  EXPECT_EQ(CurrentTraceWindow(), 0U);
  ASSERT_EQ(fake.released.size(), 1U);
  EXPECT_EQ(fake.released[0], 100U);
  // Until the unit is initialised again, a message's suffix is made from the empty contexts.
  TRACE("y");
  ASSERT_EQ(fake.sent.size(), 2U);
  EXPECT_EQ(fake.sent[1].bytes, std::string("y|0|||.\0", 8));
  InitializeuTrace();
}

TEST_F(Trace, CEntryPointFormatsTaggedArguments) {
  ZebTraceArg args[3] = {};
  args[0].kind = ZEB_TRACE_INT32;
  args[0].value.i32 = -7;
  args[1].kind = ZEB_TRACE_TEXT;
  args[1].value.text.data = "a\0b";
  args[1].value.text.length = 3;
  args[2].kind = ZEB_TRACE_DOUBLE;
  args[2].value.f64 = 0.5;
  char error[64] = "untouched";
  EXPECT_EQ(ZebTrace("%d %s %.1f", args, 3, error, sizeof error), 0);
  ASSERT_EQ(fake.sent.size(), 1U);
  EXPECT_EQ(fake.sent[0].bytes, std::string("-7 a\0b 0.5|0|.|.|.\0", 19));
  EXPECT_STREQ(error, "untouched");
}

TEST_F(Trace, CEntryPointReportsErrorsWithoutSending) {
  ZebTraceArg arg = {};
  arg.kind = ZEB_TRACE_INT32;
  char error[16];
  EXPECT_EQ(ZebTrace("%s", &arg, 1, error, sizeof error), -1);
  EXPECT_EQ(std::string(error).size(), sizeof error - 1);  // cut to fit
  arg.kind = 42;
  EXPECT_EQ(ZebTrace("%d", &arg, 1, nullptr, 0), -1);
  EXPECT_EQ(ZebRTrace("%d", &arg, 1, nullptr, 0), 0);
  EXPECT_EQ(fake.finds, 0);
  EXPECT_TRUE(fake.sent.empty());
}

}  // namespace

extern "C" int ZebTraceFromC(int value);

namespace {

TEST_F(Trace, CallableFromC) {
  EXPECT_EQ(ZebTraceFromC(3), 0);
  ASSERT_EQ(fake.sent.size(), 1U);
  EXPECT_EQ(fake.sent[0].bytes, std::string("from C: 3|0|.|.|.\0", 18));
}

}  // namespace

}  // namespace zeb
