// zeb-trace: the trace viewer, and a way to send a trace message from the shell.
#include <fcntl.h>
#include <regex.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "runtime/Exceptions.h"
#include "trace/TraceSocketPath.h"
#include "trace/TraceTransport.h"
#include "trace/uTrace.h"
#include "viewer/TraceSend.h"
#include "viewer/TraceServer.h"

namespace {

constexpr const char* kUsage =
    "Usage: zeb-trace [--verbose] [--output FILE] [--grep PATTERN]\n"
    "       zeb-trace send FMT [ARG...]\n"
    "\n"
    "Without a command, becomes the trace viewer (\"TFormTrace\") of this user and prints one\n"
    "line per message: local time, the sender's process id and name, and the text with control\n"
    "characters escaped. Ctrl+C stops it.\n"
    "\n"
    "  --verbose        also show each record's cbData and dwData\n"
    "  --output FILE    also append the lines to FILE\n"
    "  --grep PATTERN   show only messages whose text matches PATTERN (POSIX extended regex)\n"
    "  --help           show this help\n"
    "  --version        show the version\n"
    "\n"
    "send FMT [ARG...]  sends one message with TRACE: FMT is a Format text; each ARG is an\n"
    "                   integer for %d %u %x and *, a number for %e %f %g %n %m, text for %s.\n";

int stopPipe[2] = {-1, -1};

void OnSignal(int) {
  const char byte = 1;
  // Nothing to do if it fails: the pipe already holds a byte.
  [[maybe_unused]] const ssize_t n = write(stopPipe[1], &byte, 1);
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "zeb-trace: %s\n", message.c_str());
  return 1;
}

int Send(const std::vector<std::string>& words) {
  if (words.empty()) return Fail("send needs a format; see zeb-trace --help");
  try {
    const std::vector<std::string> args(words.begin() + 1, words.end());
    const std::vector<TVarRec> recs = ArgumentsForFormat(words[0], args);
    InitializeuTrace();
    TRACE(words[0], recs);
    const bool delivered = CurrentTraceWindow() != 0;
    FinalizeuTrace();
    if (!delivered) std::fprintf(stderr, "zeb-trace: no viewer is running; message dropped\n");
    return 0;
  } catch (const Exception& e) {
    return Fail(e.Message());
  }
}

struct ViewOptions {
  bool verbose = false;
  std::optional<std::string> output;
  std::optional<std::string> grep;
};

int View(const ViewOptions& options) {
  std::string why;
  const auto path = TraceSocketPath(true, &why);
  if (!path) return Fail("no safe runtime directory: " + why);

  regex_t pattern{};
  if (options.grep) {
    const int rc = regcomp(&pattern, options.grep->c_str(), REG_EXTENDED | REG_NOSUB);
    if (rc != 0) {
      char text[256];
      regerror(rc, &pattern, text, sizeof text);
      return Fail("bad --grep pattern: " + std::string(text));
    }
  }
  int outputFd = -1;
  if (options.output) {
    outputFd = open(options.output->c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (outputFd < 0) return Fail(*options.output + ": " + std::strerror(errno));
  }

  int status = 0;
  try {
    if (pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) return Fail("pipe failed");
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    TraceServer server(*path);
    std::fprintf(stderr, "zeb-trace: listening on %s (Ctrl+C to stop)\n", path->c_str());
    bool outputFailed = false;
    TraceServer::Handlers handlers;
    handlers.message = [&](const TraceMessage& m) {
      if (options.grep && regexec(&pattern, MakeVisible(m.text).c_str(), 0, nullptr, 0) != 0) {
        return;
      }
      const std::string line = FormatTraceLine(m, options.verbose) + "\n";
      std::fwrite(line.data(), 1, line.size(), stdout);
      std::fflush(stdout);
      if (outputFd >= 0 && !outputFailed &&
          write(outputFd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
        outputFailed = true;
        std::fprintf(stderr, "zeb-trace: writing %s failed: %s\n", options.output->c_str(),
                     std::strerror(errno));
      }
    };
    handlers.problem = [](const std::string& text) {
      std::fprintf(stderr, "zeb-trace: %s\n", text.c_str());
    };
    server.Run(stopPipe[0], handlers);
  } catch (const ViewerError& e) {
    status = Fail(e.what());
  }
  if (options.grep) regfree(&pattern);
  if (outputFd >= 0) close(outputFd);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> words(argv + 1, argv + argc);
  if (!words.empty() && words[0] == "send") {
    return Send(std::vector<std::string>(words.begin() + 1, words.end()));
  }
  ViewOptions options;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (w == "--help" || w == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (w == "--version") {
      std::printf("zeb-trace %s\n", ZEB_VERSION);
      return 0;
    }
    if (w == "--verbose" || w == "-v") {
      options.verbose = true;
    } else if ((w == "--output" || w == "--grep") && i + 1 < words.size()) {
      (w == "--output" ? options.output : options.grep) = words[++i];
    } else if (w == "--output" || w == "--grep") {
      return Fail(w + " needs a value; see zeb-trace --help");
    } else {
      return Fail("unknown argument \"" + w + "\"; see zeb-trace --help");
    }
  }
  return View(options);
}
