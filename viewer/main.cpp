// zeb-trace: the trace viewer, and a way to send a trace message from the shell.
#include <fcntl.h>
#include <regex.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/Exceptions.h"
#include "trace/TraceSocketPath.h"
#include "trace/TraceTransport.h"
#include "trace/uTrace.h"
#include "viewer/TraceSend.h"
#include "viewer/TraceServer.h"

namespace {

constexpr const char* kDescription =
    "zeb-trace: the trace viewer, and a way to send a trace message from the shell.\n"
    "\n"
    "Without a command, becomes the trace viewer (\"TFormTrace\") of this user and prints one\n"
    "line per message: local time, the sender's process id and name, and the text with control\n"
    "characters escaped. Ctrl+C stops it.\n";

constexpr const char* kSendHelp =
    "send FMT [ARG...] sends one message with TRACE. FMT is a Format text (put -- before one\n"
    "that starts with -); each ARG is an integer for %d %u %x and *, a number for\n"
    "%e %f %g %n %m, text for %s. It exits 0 once the viewer has taken the message, 1 when the\n"
    "message was not delivered (no viewer, no answer within 2 s, refused; it says which), and\n"
    "2 when FMT does not fit the ARGs.\n";

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

int Send(const std::string& fmt, const std::vector<std::string>& args) {
  std::vector<TVarRec> recs;
  TraceOutcome outcome = TraceOutcome::NoViewer;
  InitializeuTrace();
  try {
    recs = ArgumentsForFormat(fmt, args);
    outcome = TraceDelivery(fmt, recs);
  } catch (const Exception& e) {
    FinalizeuTrace();
    Fail("message not sent: " + e.Message());
    return 2;
  }
  FinalizeuTrace();
  if (outcome == TraceOutcome::Delivered) return 0;
  return Fail(std::string("message not sent: ") + DescribeTraceOutcome(outcome));
}

struct ViewOptions {
  bool verbose = false;
  std::string output;  // none when empty
  std::string grep;    // none when empty
};

int View(const ViewOptions& options) {
  const TraceSocketLocation location = LocateTraceSocket(true);
  if (!location.path) return Fail("no safe runtime directory: " + location.problem);
  const std::string& path = *location.path;

  regex_t pattern{};
  const bool grep = !options.grep.empty();
  if (grep) {
    const int rc = regcomp(&pattern, options.grep.c_str(), REG_EXTENDED | REG_NOSUB);
    if (rc != 0) {
      char text[256];
      regerror(rc, &pattern, text, sizeof text);
      return Fail("bad --grep pattern: " + std::string(text));
    }
  }
  int outputFd = -1;
  if (!options.output.empty()) {
    outputFd = open(options.output.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (outputFd < 0) return Fail(options.output + ": " + std::strerror(errno));
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

    TraceServer server(path);
    std::fprintf(stderr, "zeb-trace: listening on %s (Ctrl+C to stop)\n", path.c_str());
    bool outputFailed = false;
    TraceServer::Handlers handlers;
    handlers.message = [&](const TraceMessage& m) {
      if (grep && regexec(&pattern, MakeVisible(m.text).c_str(), 0, nullptr, 0) != 0) {
        return;
      }
      const std::string line = FormatTraceLine(m, options.verbose) + "\n";
      std::fwrite(line.data(), 1, line.size(), stdout);
      std::fflush(stdout);
      if (outputFd >= 0 && !outputFailed &&
          write(outputFd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
        outputFailed = true;
        std::fprintf(stderr, "zeb-trace: writing %s failed: %s\n", options.output.c_str(),
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
  if (grep) regfree(&pattern);
  if (outputFd >= 0) close(outputFd);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app(kDescription, "zeb-trace");
  ViewOptions options;
  app.add_flag("-v,--verbose", options.verbose, "also show each record's cbData and dwData");
  app.add_option("--output", options.output, "also append the lines to FILE")->type_name("FILE");
  app.add_option("--grep", options.grep,
                 "show only messages whose text matches PATTERN (POSIX extended regex)")
      ->type_name("PATTERN");
  app.set_version_flag("--version", std::string("zeb-trace ") + ZEB_VERSION);
  app.footer(kSendHelp);
  CLI::App* send = app.add_subcommand("send", "sends one message with TRACE");
  send->footer(kSendHelp);
  std::string fmt;
  std::vector<std::string> args;
  send->add_option("FMT", fmt, "the format")->required();
  send->add_option("ARG", args, "its arguments");
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {  // --help, --version
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "zeb-trace: %s (see zeb-trace --help)\n", e.what());
    return 2;
  }
  return send->parsed() ? Send(fmt, args) : View(options);
}
