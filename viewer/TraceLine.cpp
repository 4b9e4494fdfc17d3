#include "viewer/TraceLine.h"

#include <ctime>

std::string MakeVisible(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\0':
        out += "\\0";
        break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          out += "\\x";
          out += kHex[byte >> 4];
          out += kHex[byte & 0xF];
        } else {
          out += c;
        }
    }
  }
  return out;
}

std::string LocalTimeWithMillis(std::chrono::system_clock::time_point t) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(t);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%H:%M:%S", &local);
  char out[40];
  std::snprintf(out, sizeof out, "%s.%03d", buffer, static_cast<int>(millis));
  return out;
}

std::string FormatTraceLine(const TraceMessage& m, bool verbose) {
  std::string line = LocalTimeWithMillis(m.received) + " [" + std::to_string(m.pid) + " " +
                     MakeVisible(m.processName) + "] ";
  if (verbose) {
    line += "cbData=" + std::to_string(m.cbData) + " dwData=" + std::to_string(m.dwData) + " ";
  }
  return line + MakeVisible(m.text);
}

std::optional<std::string> CheckHeader(const TraceWireHeader& h) {
  if (h.magic != kTraceRecordMagic) return "not a trace record";
  if (h.length > kTraceMaxRecord) {
    return "record of " + std::to_string(h.length) + " bytes is over the bound of " +
           std::to_string(kTraceMaxRecord);
  }
  return std::nullopt;
}

std::optional<std::string> CheckRecord(const TraceWireHeader& h, std::string_view payload) {
  if (h.cbData != payload.size()) {
    return "cbData " + std::to_string(h.cbData) + " does not match the " +
           std::to_string(payload.size()) + " bytes sent";
  }
  if (payload.empty() || payload.back() != '\0') return "text has no terminating NUL";
  return std::nullopt;
}
