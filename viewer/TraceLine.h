// What the viewer prints for one message, and the checks a record must pass first.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "trace/TraceWire.h"

struct TraceMessage {
  std::chrono::system_clock::time_point received;
  std::int64_t pid = 0;
  std::string processName;
  std::uint64_t dwData = 0;
  std::uint32_t cbData = 0;
  std::string text;  // without the terminating NUL
};

// Control characters as C escapes (\n, \t, \0, \x1B...), a backslash doubled; every other byte
// as it is.
std::string MakeVisible(std::string_view text);

// "HH:MM:SS.mmm" in local time.
std::string LocalTimeWithMillis(std::chrono::system_clock::time_point t);

// "12:00:00.123 [1234 name] text", with "cbData=N dwData=N " before the text when verbose.
std::string FormatTraceLine(const TraceMessage& m, bool verbose);

// Why a header cannot be read at all (the connection must be dropped), or nullopt.
std::optional<std::string> CheckHeader(const TraceWireHeader& h);
// Why a complete record is refused, or nullopt when it is sound.
std::optional<std::string> CheckRecord(const TraceWireHeader& h, std::string_view payload);
