// What the viewer prints for one message, and the checks a record must pass first.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "trace/TraceWire.h"

namespace zeb {

struct TraceMessage {
  std::chrono::system_clock::time_point received;
  std::int64_t pid = 0;
  std::string processName;
  std::uint64_t dwData = 0;
  std::uint32_t cbData = 0;
  std::string text;  // without the terminating NUL
};

// What a terminal shows as it is: control characters become C escapes (\n, \t, \0, \x1B...),
// and so do C1 controls, which a terminal would act on too: U+0080 to U+009F written in UTF-8
// become \u0080 to \u009F, and a byte from 0x80 to 0x9F that is not part of a valid UTF-8
// character \x80 to \x9F. A backslash is doubled; every other byte stays as it is (the
// characters of other languages, and bytes of other encodings from 0xA0 up).
std::string MakeVisible(std::string_view text);
// The same, appended to `out`.
void AppendVisible(std::string& out, std::string_view text);

// A message's text and its context suffix ("0|.|.|." of TRACE's "text|0|.|.|."): split at the
// fourth "|" from the right, so that a "|" in the text itself stays there. A text with fewer
// has no suffix: it is all text, and the suffix is empty.
struct TraceTextParts {
  std::string_view text;
  std::string_view context;
};
TraceTextParts SplitTraceContext(std::string_view text);

// The text MakeVisible made `visible` from; nullopt when `visible` is not something it makes (a
// lone backslash, an unknown escape).
std::optional<std::string> FromVisible(std::string_view visible);

// "HH:MM:SS.mmm" in local time.
std::string LocalTimeWithMillis(std::chrono::system_clock::time_point t);

// "12:00:00.123 [1234 name] text", with "cbData=N dwData=N " before the text when verbose.
std::string FormatTraceLine(const TraceMessage& m, bool verbose);
// "12:00:00.123 [1234 name] ", the line's start, appended to `out` from a name already visible.
void AppendTraceLinePrefix(std::string& out, std::chrono::system_clock::time_point received,
                           std::int64_t pid, std::string_view visibleName);
// The same line (not verbose, without its line end) from a name and text already visible.
void AppendTraceLine(std::string& out, std::chrono::system_clock::time_point received,
                     std::int64_t pid, std::string_view visibleName, std::string_view visibleText);

// Why a record of `length` bytes is not taken at all (it is longer than `maxRecord`), or nullopt.
std::optional<std::string> CheckLength(std::uint32_t length,
                                       std::uint32_t maxRecord = kTraceMaxRecord);
// Why a header cannot be read at all (the connection must be dropped), or nullopt; a record
// longer than `maxRecord` is not read.
std::optional<std::string> CheckHeader(const TraceWireHeader& h,
                                       std::uint32_t maxRecord = kTraceMaxRecord);
// Why a complete record is refused, or nullopt when it is sound: `payload` is every byte that
// came, which must be the `cbData` its record states, the last of them the text's NUL.
std::optional<std::string> CheckRecord(std::uint32_t cbData, std::string_view payload);

}  // namespace zeb
