// trace-window-bench MODE: the trace window's figures, offscreen, printed as one JSON object.
//
//   storm    the live window where this user's senders look for it (XDG_RUNTIME_DIR); prints
//            "listening" on stderr once it serves, and on SIGTERM: the messages it received, the
//            longest time its event loop went without a turn (a timer asks for one every 5 ms),
//            and its peak memory.
//   filter N the window holding N messages (eight senders' worth, as a storm leaves them): the
//            time a filter change takes until the table is painted again, for a text and a
//            regular expression; the memory the messages take beside the bytes of their lines.
//   open N   the time to open a log of N messages in a window until its table is painted.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "viewer/TraceLogFile.h"
#include "viewer/window/TraceView.h"
#include "viewer/window/TraceWindow.h"

namespace {

int quitPipe[2];

void OnSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = write(quitPipe[1], &byte, 1);
}

long StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  }
  return 0;
}

void Paint(QWidget& widget) {
  QApplication::processEvents();
  widget.repaint();
}

// Messages as a storm of eight senders leaves them: "storm PID I of N|0|.|.|.".
void Fill(zeb::TraceStore& store, long count) {
  zeb::TraceMessage m;
  m.processName = "zeb-trace-storm";
  for (long i = 0; i < count; ++i) {
    m.pid = 40000 + i % 8;
    m.dwData = static_cast<std::uint64_t>(m.pid);
    m.received = std::chrono::system_clock::now();
    m.text = "storm " + std::to_string(m.pid) + " " + std::to_string(i / 8 + 1) + " of " +
             std::to_string(count / 8) + "|0|.|.|.";
    m.cbData = static_cast<std::uint32_t>(m.text.size() + 1);
    store.Add(m);
  }
}

int Storm() {
  if (pipe2(quitPipe, O_CLOEXEC | O_NONBLOCK) != 0) return 1;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  zeb::TraceWindow window(false);
  window.resize(1100, 640);
  window.show();
  if (!window.View()->StartReceiving()) {
    std::fprintf(stderr, "%s\n", window.View()->NotReceiving().toUtf8().constData());
    return 1;
  }
  QElapsedTimer clock;
  clock.start();
  qint64 last = 0;
  qint64 longest = 0;
  QTimer tick;
  tick.setTimerType(Qt::PreciseTimer);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    longest = std::max(longest, now - last);
    last = now;
  });
  tick.start(5);
  QSocketNotifier quit(quitPipe[0], QSocketNotifier::Read);
  QObject::connect(&quit, &QSocketNotifier::activated, [] { QApplication::quit(); });
  std::fprintf(stderr, "listening\n");
  QApplication::exec();
  window.View()->StopReceiving();
  std::printf(
      "{\"received\": %llu, \"longest_gap_ms\": %.1f, \"peak_rss_kib\": %ld, \"held_bytes\": "
      "%llu}\n",
      static_cast<unsigned long long>(window.View()->Received()),
      static_cast<double>(longest) / 1e6, StatusKiB("VmHWM:"),
      static_cast<unsigned long long>(window.View()->Model().Store().HeldBytes()));
  return 0;
}

int Filter(long count) {
  zeb::TraceWindow window(false);
  window.resize(1100, 640);
  window.show();
  Paint(window);
  const long before = StatusKiB("VmRSS:");
  Fill(window.View()->Model().Store(), count);
  window.View()->Model().Update();
  Paint(window);
  const long after = StatusKiB("VmRSS:");
  QElapsedTimer clock;
  clock.start();
  window.View()->SetQuickFilter(QStringLiteral("storm 40003 "));
  Paint(window);
  const double text = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  const auto shownByText = window.View()->Model().rowCount();
  window.View()->SetQuickFilter({});
  Paint(window);
  zeb::TraceRule rule;
  rule.action = zeb::TraceRule::Action::Keep;
  rule.regex = true;
  rule.pattern = "storm 4000[25] [0-9]*7 of";
  clock.restart();
  window.View()->SetRules({rule});
  Paint(window);
  const double regex = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  const auto shownByRegex = window.View()->Model().rowCount();
  // A regular expression that every message matches: a search per message.
  rule.pattern = "of [0-9]+[|]";
  clock.restart();
  window.View()->SetRules({rule});
  Paint(window);
  const double regexAll = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  std::printf(
      "{\"messages\": %ld, \"text_filter_ms\": %.1f, \"shown_by_text\": %d, \"regex_filter_ms\": "
      "%.1f, \"shown_by_regex\": %d, \"regex_all_ms\": %.1f, \"shown_by_regex_all\": %d, "
      "\"held_bytes\": %llu, \"memory_bytes\": %lld}\n",
      count, text, shownByText, regex, shownByRegex, regexAll, window.View()->Model().rowCount(),
      static_cast<unsigned long long>(window.View()->Model().Store().HeldBytes()),
      static_cast<long long>(after - before) * 1024);
  return 0;
}

int Open(long count) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("storm.ztrace"));
  {
    zeb::TraceStore store;
    Fill(store, count);
    zeb::SaveTraceLog(path.toStdString(), store, {});
  }
  QElapsedTimer clock;
  clock.start();
  zeb::TraceWindow window(false);
  window.resize(1100, 640);
  if (const auto why = window.View()->OpenLog(path)) {
    std::fprintf(stderr, "%s\n", why->toUtf8().constData());
    return 1;
  }
  window.show();
  Paint(window);
  const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  std::printf("{\"messages\": %ld, \"open_ms\": %.1f, \"rows\": %d}\n", count, ms,
              window.View()->Model().rowCount());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const std::string mode = argc > 1 ? argv[1] : "";
  const long count = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 1'000'000;
  if (mode == "storm") return Storm();
  if (mode == "filter") return Filter(count);
  if (mode == "open") return Open(count);
  std::fprintf(stderr, "usage: trace-window-bench storm | filter N | open N\n");
  return 2;
}
