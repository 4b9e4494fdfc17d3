// The window's model: the store that holds messages within its bounds, the rows a view shows,
// and the logs it saves and opens.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "testkit/ViewerFixture.h"
#include "viewer/TraceLogFile.h"
#include "viewer/TraceShownList.h"
#include "viewer/TraceStore.h"
#include "viewer/Viewer.h"

namespace zeb {

namespace {

TraceMessage Message(std::int64_t pid, std::string name, std::string text, std::int64_t micros) {
  TraceMessage m;
  m.received = std::chrono::system_clock::time_point(std::chrono::microseconds(micros));
  m.pid = pid;
  m.processName = std::move(name);
  m.dwData = static_cast<std::uint64_t>(pid);
  m.text = std::move(text);
  m.cbData = static_cast<std::uint32_t>(m.text.size() + 1);
  return m;
}

// The n-th message of a run: three senders in turn, texts of varied lengths and escapes.
TraceMessage Nth(std::size_t n, std::size_t length = 0) {
  const std::int64_t pid = 100 + static_cast<std::int64_t>(n % 3);
  std::string text = "message " + std::to_string(n) + (n % 5 == 0 ? "\t\x1b" : "") + "|0|.|.|.";
  if (length > text.size()) text.append(length - text.size(), 'x');
  return Message(pid, n % 3 == 2 ? "odd\x07name" : "sender", text,
                 1'700'000'000'000'000 + static_cast<std::int64_t>(n) * 1000);
}

std::vector<std::string> Lines(const TraceStore& store) {
  std::vector<std::string> lines;
  for (TraceStore::Serial s = store.First(); s < store.End(); ++s) {
    std::string line;
    store.AppendLine(line, store.At(s));
    lines.push_back(line);
  }
  return lines;
}

TEST(TraceStore, HoldsTheNewestWithinItsBoundsAndCountsTheRest) {
  const struct {
    const char* name;
    TraceStoreLimits limits;
    std::size_t count;
    std::size_t length;  // of each text, at least
  } rows[] = {
      {"within both", {100, 1 << 20}, 50, 0},
      {"past the number", {10, 1 << 20}, 25, 0},
      {"past the bytes", {1000, 10 * 1100}, 40, 1000},
      {"one message larger than the bytes stays", {1000, 100}, 3, 5000},
      {"chunks of text freed as messages go", {5, std::uint64_t{64} << 20}, 3000, 2000},
  };
  for (const auto& row : rows) {
    TraceStore store(row.limits);
    // The model: the console's line of every message, and the newest of them that fit the
    // bounds (the newest always), with their line ends.
    std::vector<std::string> expected;
    for (std::size_t n = 0; n < row.count; ++n) {
      const TraceMessage m = Nth(n, row.length);
      store.Add(m);
      expected.push_back(FormatTraceLine(m, false));
    }
    std::size_t held = 0;
    std::uint64_t bytes = 0;
    for (auto line = expected.rbegin(); line != expected.rend(); ++line) {
      if (held > 0 &&
          (held + 1 > row.limits.messages || bytes + line->size() + 1 > row.limits.bytes)) {
        break;
      }
      ++held;
      bytes += line->size() + 1;
    }
    expected.erase(expected.begin(), expected.end() - static_cast<std::ptrdiff_t>(held));
    EXPECT_EQ(store.Count(), held) << row.name;
    EXPECT_EQ(store.Dropped(), row.count - held) << row.name;
    EXPECT_EQ(store.First(), row.count - held + 1) << row.name;
    EXPECT_TRUE(Lines(store) == expected) << row.name;
    EXPECT_EQ(store.HeldBytes(), bytes) << row.name;
    // Twice the held lines and a fixed part: a chunk of text, the senders, the store itself.
    EXPECT_LE(store.MemoryBytes(), 2 * bytes + (std::uint64_t{2} << 20)) << row.name;
  }
}

TEST(TraceStore, ForgetsSendersNoHeldMessageNeeds) {
  TraceStore store({10, 1 << 20});
  for (std::int64_t pid = 1; pid <= 2000; ++pid)
    store.Add(Message(pid, "short-lived process " + std::to_string(pid), "x", pid));
  const std::uint64_t memory = store.MemoryBytes();
  for (std::int64_t pid = 2001; pid <= 20000; ++pid)
    store.Add(Message(pid, "short-lived process " + std::to_string(pid), "x", pid));
  EXPECT_LE(store.MemoryBytes(), memory + 4096);
  EXPECT_EQ(store.SenderOf(store.At(store.End() - 1)).name, "short-lived process 20000");
  EXPECT_EQ(store.SenderOf(store.At(store.First())).pid, 19991);
  // Cleared, every sender is forgotten: one that goes on and one that comes are told apart.
  store.Clear();
  store.Add(Message(20000, "short-lived process 20000", "y", 1));
  store.Add(Message(20001, "comes", "z", 2));
  EXPECT_EQ(store.SenderOf(store.At(store.End() - 2)).name, "short-lived process 20000");
  EXPECT_EQ(store.SenderOf(store.At(store.End() - 1)).name, "comes");
}

TEST(TraceShownList, FollowsTheStoreAndTheRules) {
  TraceStore store({6, 1 << 20});
  TraceShownList shown;
  TraceRule even;
  even.pattern = "message [02468]\\b";
  even.regex = true;
  const TraceRuleSet evens({even});
  for (std::size_t n = 0; n < 4; ++n)
    store.Add(Nth(n));  // messages 1 to 4 hold "message 0" to "message 3"
  shown.Append(shown.JudgeNew(store, evens));
  EXPECT_EQ(shown.Size(), 2U);
  EXPECT_EQ(shown.At(0), 1U);
  EXPECT_EQ(shown.At(1), 3U);
  for (std::size_t n = 4; n < 8; ++n)
    store.Add(Nth(n));  // 5 to 8 come, 1 and 2 go
  EXPECT_EQ(shown.Dropped(store), 1U);
  shown.ForgetDropped(store);
  shown.Append(shown.JudgeNew(store, evens));
  EXPECT_EQ(std::vector<TraceStore::Serial>({shown.At(0), shown.At(1), shown.At(2)}),
            std::vector<TraceStore::Serial>({3, 5, 7}));
  // Judged anew, up to message 6 only (as a paused view does), then the rest.
  shown.Refilter(store, TraceRuleSet(), 6);
  EXPECT_EQ(shown.Size(), 3U);
  EXPECT_EQ(shown.NextToJudge(), 6U);
  shown.Append(shown.JudgeNew(store, TraceRuleSet()));
  EXPECT_EQ(shown.Size(), 6U);
  EXPECT_EQ(shown.RowAtOrAfter(5), 2U);
  store.Clear();
  EXPECT_EQ(shown.Dropped(store), 6U);
}

// A sender forgotten by the store leaves its number to the next new one: a rule on the process
// judges the newcomer by its own name, not by the one that held the number before.
TEST(TraceShownList, ARuleOnTheProcessJudgesANewSenderByItsOwnName) {
  TraceStore store({1, 1 << 20});
  TraceShownList shown;
  TraceRule hideBuild;
  hideBuild.action = TraceRule::Action::Hide;
  hideBuild.field = TraceRule::Field::Process;
  hideBuild.pattern = "build";
  const TraceRuleSet rules({hideBuild});
  const char* const senders[] = {"build.sh", "zeb-ide", "zeb-host", "build.sh", "zeb-trace"};
  std::vector<std::string> seen;
  for (std::int64_t pid = 1; pid <= 5; ++pid) {
    store.Add(Message(pid, senders[pid - 1], "x", pid));  // the one held before goes
    shown.Append(shown.JudgeNew(store, rules));
    shown.ForgetDropped(store);
    if (shown.Size() == 1) seen.push_back(store.SenderOf(store.At(shown.At(0))).name);
  }
  EXPECT_EQ(seen, std::vector<std::string>({"zeb-ide", "zeb-host", "zeb-trace"}));
}

TEST(TraceLog, SavesAndOpensWithItsRules) {
  TempDir dir;
  TraceStore store;
  for (std::size_t n = 0; n < 50; ++n)
    store.Add(Nth(n, n * 7));
  store.SetFlags(10, TraceStore::kBookmark);
  TraceRule rule;
  rule.action = TraceRule::Action::Hide;
  rule.pattern = "message 1";
  const TraceRuleSet rules({rule});
  TraceShownList shown;
  shown.Refilter(store, rules);

  const std::string log = dir.Path() + "/all.ztrace";
  SaveTraceLog(log, store, rules.Rules());
  const TraceLog opened = ReadTraceLog(log);
  EXPECT_EQ(opened.rules, rules.Rules());
  EXPECT_EQ(Lines(*opened.store), Lines(store));
  EXPECT_EQ(opened.store->At(10).flags, TraceStore::kBookmark);
  EXPECT_EQ(opened.store->At(10).cbData, store.At(10).cbData);

  SaveTraceLog(dir.Path() + "/shown.ztrace", store, rules.Rules(), &shown);
  EXPECT_EQ(ReadTraceLog(dir.Path() + "/shown.ztrace").store->Count(), shown.Size());

  // As text: the console's lines, as they were printed.
  SaveTraceText(dir.Path() + "/all.txt", store);
  std::ifstream in(dir.Path() + "/all.txt");
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  std::vector<std::string> printed;
  for (std::size_t n = 0; n < 50; ++n)
    printed.push_back(FormatTraceLine(Nth(n, n * 7), false));
  EXPECT_EQ(lines, printed);

  EXPECT_THROW(SaveTraceText(dir.Path() + "/no/such/folder.txt", store), ViewerError);
}

TEST(TraceLog, RefusesWhatIsNotALog) {
  TempDir dir;
  const std::string header = std::string(kTraceLogHeader) + "\n";
  const std::string good = "1\t2\t2\t4\t0\tname\ttext\n";
  const struct {
    std::string content;
    const char* says;
  } rows[] = {
      {"", "empty"},
      {"12:00:00.000 [1 x] text\n", "not a zeb-trace log"},
      {header + good + "1\t2\t2\t4\tname\ttext\n", "line 3: not a message"},
      {header + "1\t2\tx\t4\t0\tname\ttext\n", "line 2: not a message"},
      {header + good + "rule\t1\tkeep\tmessage\ttext\t0\t-\t-\tx\n", "line 3: a rule after"},
      {header + "rule\t1\tkeep\n", "line 2: not a rule"},
      {header + good + "1\t2\t2\t4\t0\tname\ttext", "line 3: the file ends in the middle"},
  };
  for (const auto& row : rows) {
    const std::string path = dir.Path() + "/bad.ztrace";
    std::ofstream(path, std::ios::binary) << row.content;
    try {
      ReadTraceLog(path);
      ADD_FAILURE() << row.says;
    } catch (const ViewerError& e) {
      EXPECT_NE(std::string(e.what()).find(row.says), std::string::npos) << e.what();
    }
  }
  EXPECT_THROW(ReadTraceLog(dir.Path() + "/missing.ztrace"), ViewerError);
}

}  // namespace

}  // namespace zeb
