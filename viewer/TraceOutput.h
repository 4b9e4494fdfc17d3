// Where the viewer writes its lines: standard output, a log file (--output), or both. Lines are
// kept until Flush, which the server calls before it acknowledges the messages (ViewerHandlers):
// a round of messages costs one write per stream, and a message whose line could not be written
// is never acknowledged.
#pragma once

#include <cstdio>
#include <string>

#include "viewer/TraceLine.h"

namespace zeb {

class TraceOutput {
 public:
  // Writes to standard output when `toStdout`, and to `file` (named `fileName` in errors) when it
  // is not null; the file stays the caller's.
  TraceOutput(bool toStdout, std::FILE* file, std::string fileName, bool verbose);

  // Keeps the message's line (FormatTraceLine) for the next Flush.
  void Add(const TraceMessage& m);
  // Writes what was kept; raises ViewerError ("cannot write standard output: REASON", "cannot
  // write FILE: REASON") when a stream fails, after which nothing more is written to it.
  void Flush();

 private:
  bool toStdout_;
  std::FILE* file_;
  std::string fileName_;
  bool verbose_;
  std::string pending_;
  // The last sender's name, as received and made visible: messages come in runs from a sender.
  std::string name_;
  std::string visibleName_;
};

}  // namespace zeb
