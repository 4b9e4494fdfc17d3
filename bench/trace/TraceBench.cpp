// TRACE's cost, each beside its reference measured in the same run: a round trip to a live viewer
// beside the same exchange done by hand on the same kind of socket (the floor any TRACE pays),
// and a TRACE with no viewer running beside a stat of the socket's path.
#include <benchmark/benchmark.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "testkit/ViewerFixture.h"
#include "trace/TraceTransportPosix.h"
#include "trace/TraceWire.h"
#include "trace/uTrace.h"

namespace zeb {

namespace {

using namespace std::chrono_literals;

// The viewer's server loop on a thread, counting what it takes: like the answering thread below,
// it does nothing with the text, so that the two differ only in what TRACE and the viewer do.
void BM_TraceRoundTrip(benchmark::State& state) {
  InitializeuTrace();
  TempDir dir;
  const std::string path = dir.Path() + "/TFormTrace";
  TraceServer server(path);
  int stop[2];
  if (pipe(stop) != 0) state.SkipWithError("pipe");
  long received = 0;
  TraceServer::Handlers handlers;
  handlers.message = [&](const TraceMessage&) { ++received; };
  handlers.problem = [](const std::string&) {};
  std::thread serve([&] { server.Run(stop[0], handlers); });
  PosixTraceTransport transport(2s, path);
  SetTraceTransport(&transport);
  int i = 0;
  for (auto _ : state)
    TRACE("x=%d", ++i);
  SetTraceTransport(nullptr);
  [[maybe_unused]] const auto n = write(stop[1], "x", 1);
  serve.join();
  close(stop[0]);
  close(stop[1]);
  if (received != i) state.SkipWithError("lost messages");
  state.SetItemsProcessed(state.iterations());
  FinalizeuTrace();
}
BENCHMARK(BM_TraceRoundTrip)->UseRealTime();

// The same record and acknowledgement over a Unix-domain stream socket, with an answering
// thread that only reads and answers.
void BM_BareRoundTrip(benchmark::State& state) {
  TempDir dir;
  const std::string path = dir.Path() + "/bare";
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const auto* a = reinterpret_cast<const sockaddr*>(&address);
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  bind(listener, a, sizeof address);
  listen(listener, 1);
  const int client = socket(AF_UNIX, SOCK_STREAM, 0);
  connect(client, a, sizeof address);
  const int server = accept(listener, nullptr, nullptr);
  std::thread answer([server] {
    TraceWireHeader h{};
    char text[64];
    while (recv(server, &h, sizeof h, MSG_WAITALL) == static_cast<ssize_t>(sizeof h)) {
      recv(server, text, h.length, MSG_WAITALL);
      const TraceWireAck ack{kTraceAckMagic, TraceAckStatus::Handled, h.sequence};
      send(server, &ack, sizeof ack, MSG_NOSIGNAL);
    }
  });
  const char text[] = "x=1|0|.|.|.";
  std::uint64_t sequence = 0;
  for (auto _ : state) {
    const TraceWireHeader h{kTraceRecordMagic, sizeof text, ++sequence, 0, sizeof text, 0};
    char buffer[sizeof h + sizeof text];
    std::memcpy(buffer, &h, sizeof h);
    std::memcpy(buffer + sizeof h, text, sizeof text);
    send(client, buffer, sizeof buffer, MSG_NOSIGNAL);
    TraceWireAck ack{};
    recv(client, &ack, sizeof ack, MSG_WAITALL);
    benchmark::DoNotOptimize(ack);
  }
  shutdown(client, SHUT_RDWR);
  answer.join();
  close(client);
  close(server);
  close(listener);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BareRoundTrip)->UseRealTime();

// No viewer: every call formats, finds the user's runtime directory, looks whether a socket is
// there (it is not) and returns.
void BM_TraceNoViewer(benchmark::State& state) {
  InitializeuTrace();
  TempDir dir;
  chmod(dir.Path().c_str(), 0700);
  setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);
  SetTraceTransport(nullptr);
  int i = 0;
  for (auto _ : state)
    TRACE("x=%d", ++i);
  if (CurrentTraceWindow() != 0) state.SkipWithError("a viewer was found");
  unsetenv("XDG_RUNTIME_DIR");
  FinalizeuTrace();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TraceNoViewer);

// The floor of looking for a viewer that is not there: one stat of the socket's path.
void BM_StatSocketPath(benchmark::State& state) {
  TempDir dir;
  const std::string path = dir.Path() + "/TFormTrace";
  for (auto _ : state) {
    struct stat st {};
    benchmark::DoNotOptimize(stat(path.c_str(), &st));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StatSocketPath);

// Formatting alone, for scale.
void BM_FormatMessageAndSuffix(benchmark::State& state) {
  int i = 0;
  for (auto _ : state) {
    std::string text = Format("x=%d", ++i);
    text += Format("|%d|%s|%s|.", 0, ".", ".");
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_FormatMessageAndSuffix);

}  // namespace

}  // namespace zeb

BENCHMARK_MAIN();
