// What zeb-trace needs from the system it runs on. ViewerPosix.cpp serves the "TFormTrace" socket
// (TraceServer), ViewerWin32.cpp the "TFormTrace" window (TraceWindowServer); the command line
// (main.cpp) is the same on both and prints what they hand it.
#pragma once

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "viewer/TraceLine.h"

namespace zeb {

// Why the viewer cannot start (another one runs, the endpoint is taken by something else...).
class ViewerError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where a viewer hands what it receives. All are called on the thread that serves.
struct ViewerHandlers {
  // A sound record's message. It may raise (an output that fails, say): the viewer then stops,
  // the exception passes out of it, and the message is not acknowledged.
  std::function<void(const TraceMessage&)> message;
  // Called, when set, after one or more messages and before the viewer acknowledges them, so that
  // what was kept of them can be written out at once; raising stops the viewer as above, with
  // none of those messages acknowledged.
  std::function<void()> flush;
  // A bad record, a refused sender, a sender dropped for its memory, no descriptors left: one
  // line of visible text (what came from a sender is escaped as MakeVisible does).
  std::function<void(const std::string&)> problem;
};

// The command line's words after the program's name, as UTF-8.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Makes standard output and error carry bytes as they are, so that every platform prints the
// same bytes (no line-end translation).
void UseBinaryStandardStreams();

// Opens `path` (UTF-8) to append bytes to, creating it readable by the user only where files have
// modes; nullptr with errno set when it cannot.
std::FILE* OpenTraceLog(const std::string& path);

// Becomes this user's trace viewer and serves until Ctrl+C, a termination request or the console
// closing, then gives up the endpoint and returns. `listening` is told once where senders reach
// it. Raises ViewerError when it cannot become the viewer (one runs already, say).
void ServeAsViewer(const ViewerHandlers& handlers,
                   const std::function<void(const std::string& where)>& listening);

}  // namespace zeb
