// A trace window's messages on disk: as text, the console's lines; or as a log that opens again
// with the rules it was saved with.
//
// A log is text: the line "zeb-trace log 1", the rules (RuleToText), then one line per message,
// "MICROS<TAB>PID<TAB>DWDATA<TAB>CBDATA<TAB>FLAGS<TAB>NAME<TAB>TEXT", the time in microseconds
// since the epoch, the name and text visible (MakeVisible), so that no field holds a tab or a
// line end. Opening it reads the file whole and adds its messages as they were shown.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "viewer/TraceRules.h"
#include "viewer/TraceShownList.h"
#include "viewer/TraceStore.h"

namespace zeb {

inline constexpr const char* kTraceLogHeader = "zeb-trace log 1";

// Writes the held messages, or only the rows of `only` when it is not null, to `path` (replacing
// it). Raises ViewerError ("cannot write PATH: REASON").
void SaveTraceText(const std::string& path, const TraceStore& store,
                   const TraceShownList* only = nullptr);
void SaveTraceLog(const std::string& path, const TraceStore& store,
                  const std::vector<TraceRule>& rules, const TraceShownList* only = nullptr);

struct TraceLog {
  std::unique_ptr<TraceStore> store;
  std::vector<TraceRule> rules;
};

// The log's messages in a store of their own (bounded by `limits`), and its rules. Raises
// ViewerError ("PATH: REASON", "PATH: line N: REASON") for a file that cannot be read or is not
// such a log.
TraceLog ReadTraceLog(const std::string& path, TraceStoreLimits limits = {});

}  // namespace zeb
