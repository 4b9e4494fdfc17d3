// A storm: eight sender processes, each sending 25,000 messages as fast as the window answers,
// while the window runs its event loop; every message must reach the window's model once.
#include <QProcess>
#include <QProcessEnvironment>
#include <charconv>
#include <map>
#include <memory>
#include <vector>

#include "tests/viewer/window/TraceWindowFixture.h"

namespace zeb::test {

namespace {

TEST_F(TraceWindowTest, EveryMessageOfAStormReachesTheModel) {
  constexpr int kSenders = 8;
  constexpr int kEach = 25'000;
  Open();
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(dir_.Path()));
  std::vector<std::unique_ptr<QProcess>> senders;
  std::map<std::int64_t, std::vector<bool>> seen;  // by sender pid, by message number
  for (int i = 0; i < kSenders; ++i) {
    auto sender = std::make_unique<QProcess>();
    sender->setProcessEnvironment(env);
    sender->start(QStringLiteral(ZEB_STORM_SENDER), {QString::number(kEach)});
    ASSERT_TRUE(sender->waitForStarted());
    seen[sender->processId()].assign(kEach + 1, false);
    senders.push_back(std::move(sender));
  }
  const auto finished = [&] {
    for (const auto& s : senders)
      if (s->state() != QProcess::NotRunning) return false;
    return true;
  };
  ASSERT_TRUE(QTest::qWaitFor(finished, 240'000)) << "the senders did not finish";
  for (const auto& s : senders)
    EXPECT_EQ(s->exitCode(), 0) << s->readAllStandardOutput().toStdString();
  ASSERT_TRUE(Received(std::uint64_t{kSenders} * kEach));
  const TraceStore& store = Model().Store();
  EXPECT_EQ(store.Count(), std::size_t{kSenders} * kEach);
  EXPECT_EQ(store.Dropped(), 0U);
  EXPECT_EQ(Model().rowCount(), kSenders * kEach);
  std::size_t duplicates = 0, strangers = 0;
  for (TraceStore::Serial s = store.First(); s < store.End(); ++s) {
    // "storm PID I of N|0|.|.|."
    const std::string_view text = store.Text(store.At(s));
    std::int64_t pid = 0;
    int number = 0;
    const char* p = text.data() + 6;
    const char* end = text.data() + text.size();
    p = std::from_chars(p, end, pid).ptr + 1;
    std::from_chars(p, end, number);
    auto found = seen.find(pid);
    if (!text.starts_with("storm ") || found == seen.end() || number < 1 || number > kEach) {
      ++strangers;
      continue;
    }
    if (found->second[static_cast<std::size_t>(number)]) ++duplicates;
    found->second[static_cast<std::size_t>(number)] = true;
  }
  EXPECT_EQ(duplicates, 0U);
  EXPECT_EQ(strangers, 0U);
  for (const auto& [pid, numbers] : seen)
    EXPECT_EQ(std::count(numbers.begin() + 1, numbers.end(), true), kEach) << "pid " << pid;
}

}  // namespace

}  // namespace zeb::test
