// zeb-trace-storm-sender N [LENGTH]: one of the senders of a storm. Sends N messages through
// TRACE's own path, one after the other as an add-in's TRACE does (each waits for the viewer's
// answer), to the viewer where this user's senders find it (XDG_RUNTIME_DIR), each
// "storm PID I of N" padded with dots to LENGTH bytes (the context suffix follows). Prints
// "delivered D of N" and exits 0 when every one was delivered, 1 otherwise.
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "trace/uTrace.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: zeb-trace-storm-sender N [LENGTH]\n");
    return 2;
  }
  const long count = std::strtol(argv[1], nullptr, 10);
  const long length = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 0;
  InitializeuTrace();
  const int pid = static_cast<int>(getpid());
  long delivered = 0;
  std::string padding;
  for (long i = 1; i <= count; ++i) {
    const std::string head =
        "storm " + std::to_string(pid) + " " + std::to_string(i) + " of " + std::to_string(count);
    padding.assign(length > static_cast<long>(head.size())
                       ? static_cast<std::size_t>(length) - head.size()
                       : 0,
                   '.');
    const std::array<zeb::TVarRec, 2> args{zeb::TVarRec(std::string_view(head)),
                                           zeb::TVarRec(std::string_view(padding))};
    if (zeb::TraceDelivery("%s%s", args) == zeb::TraceOutcome::Delivered) ++delivered;
  }
  FinalizeuTrace();
  std::printf("delivered %ld of %ld\n", delivered, count);
  return delivered == count ? 0 : 1;
}
