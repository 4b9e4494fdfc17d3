// zeb-trace: the trace viewer, and a way to send a trace message from the shell.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "runtime/Exceptions.h"
#include "trace/uTrace.h"
#include "viewer/TraceGrep.h"
#include "viewer/TraceOutput.h"
#include "viewer/TraceSend.h"
#include "viewer/Viewer.h"
#if defined(ZEB_TRACE_WINDOW)
#include "viewer/window/TraceWindow.h"
#endif

namespace zeb {

namespace {

constexpr const char* kDescription =
    "zeb-trace: the trace viewer, and a way to send a trace message from the shell.\n"
    "\n"
    "Without a command, becomes the trace viewer (\"TFormTrace\") of this user and prints one\n"
    "line per message: local time, the sender's process id and name, and the text with control\n"
    "characters escaped. Ctrl+C stops it.\n"
    "\n"
    "With --window, the viewer is a window instead: a table of the messages with filters,\n"
    "highlights, find, bookmarks and logs; --window LOG opens a log saved from it.\n";

constexpr const char* kSendHelp =
    "send FMT [ARG...] sends one message with TRACE. FMT is a Format text (put -- before one\n"
    "that starts with -); each ARG is an integer for %d %u %x and *, a number for\n"
    "%e %f %g %n %m, text for %s. It exits 0 once the viewer has taken the message, 1 when the\n"
    "message was not delivered (no viewer, no answer within 2 s, refused; it says which), and\n"
    "2 when FMT does not fit the ARGs.\n";

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
  bool window = false;
  std::string log;  // none when empty
};

int Window(int argc, char** argv, const ViewOptions& options) {
  if (!options.grep.empty() || options.verbose) {
    return Fail("--grep and --verbose are the console's; the window has rules (see --help)");
  }
#if defined(ZEB_TRACE_WINDOW)
  return RunTraceWindow(argc, argv, {options.log, options.output});
#else
  (void)argc;
  (void)argv;
  return Fail("this zeb-trace was built without its window");
#endif
}

int View(const ViewOptions& options) {
  int status = 0;
  std::FILE* output = nullptr;
  try {
    std::optional<TraceGrep> grep;
    if (!options.grep.empty()) {
      try {
        grep.emplace(options.grep);
      } catch (const ViewerError& e) {
        return Fail(std::string("bad --grep pattern: ") + e.what());
      }
    }
    if (!options.output.empty()) {
      output = OpenTraceLog(options.output);
      if (output == nullptr) return Fail(options.output + ": " + std::strerror(errno));
    }
    TraceOutput lines(true, output, options.output, options.verbose);
    ViewerHandlers handlers;
    handlers.message = [&](const TraceMessage& m) {
      if (grep && !grep->Matches(MakeVisible(m.text))) return;
      lines.Add(m);
    };
    handlers.flush = [&] { lines.Flush(); };
    handlers.problem = [](const std::string& text) {
      std::fprintf(stderr, "zeb-trace: %s\n", text.c_str());
    };
    ServeAsViewer(handlers, [](const std::string& where) {
      std::fprintf(stderr, "zeb-trace: listening on %s (Ctrl+C to stop)\n", where.c_str());
    });
    std::fprintf(stderr, "zeb-trace: stopped\n");
  } catch (const ViewerError& e) {
    status = Fail(e.what());
  }
  if (output != nullptr) std::fclose(output);
  return status;
}

}  // namespace
}  // namespace zeb

int main(int argc, char** argv) {
  using namespace zeb;
  CLI::App app(kDescription, "zeb-trace");
  ViewOptions options;
  app.add_flag("-v,--verbose", options.verbose, "also show each record's cbData and dwData");
  app.add_option("--output", options.output, "also append the lines to FILE")->type_name("FILE");
  app.add_option("--grep", options.grep,
                 "show only messages whose text matches PATTERN (POSIX extended regex)")
      ->type_name("PATTERN");
  app.add_flag("--window", options.window,
               "show the messages in a window (a table with rules) instead of printing them");
  app.add_option("LOG", options.log, "with --window: a log saved from the window, to open");
  app.set_version_flag("--version", std::string("zeb-trace ") + ZEB_VERSION);
  app.footer(kSendHelp);
  CLI::App* send = app.add_subcommand("send", "sends one message with TRACE");
  send->footer(kSendHelp);
  std::string fmt;
  std::vector<std::string> args;
  send->add_option("FMT", fmt, "the format")->required();
  send->add_option("ARG", args, "its arguments");
  UseBinaryStandardStreams();
  // CLI11 takes the words last first.
  std::vector<std::string> words = ProgramArguments(argc, argv);
  std::reverse(words.begin(), words.end());
  try {
    app.parse(words);
  } catch (const CLI::Success& e) {  // --help, --version
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "zeb-trace: %s (see zeb-trace --help)\n", e.what());
    return 2;
  }
  if (send->parsed()) return Send(fmt, args);
  if (options.window) return Window(argc, argv, options);
  if (!options.log.empty()) {
    std::fprintf(stderr, "zeb-trace: a log opens in the window: zeb-trace --window %s\n",
                 options.log.c_str());
    return 2;
  }
  return View(options);
}
