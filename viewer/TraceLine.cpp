#include "viewer/TraceLine.h"

#include <charconv>
#include <ctime>

namespace zeb {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void AppendHex(std::string& out, const char* prefix, unsigned value, int digits) {
  out += prefix;
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
    out += kHex[(value >> shift) & 0xF];
}

// The length of the valid UTF-8 character at the start of `text` (2 to 4 bytes; no overlong
// forms, surrogates or values past U+10FFFF) and its value; 0 when there is none.
std::size_t Utf8Character(std::string_view text, unsigned& value) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned lead = byte(0);
  std::size_t length = 0;
  unsigned low = 0x80;
  unsigned high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    value = (value << 6) | (byte(i) & 0x3F);
  }
  return length;
}

}  // namespace

std::string MakeVisible(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendVisible(out, text);
  return out;
}

void AppendVisible(std::string& out, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    // Printable ASCII, the bulk of most messages, goes over in runs.
    std::size_t plain = i;
    while (plain < text.size() && text[plain] >= 0x20 && text[plain] < 0x7F && text[plain] != '\\')
      ++plain;
    if (plain > i) {
      out.append(text.substr(i, plain - i));
      if (plain == text.size()) break;
      i = plain;
    }
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\\':
        out += "\\\\";
        continue;
      case '\n':
        out += "\\n";
        continue;
      case '\r':
        out += "\\r";
        continue;
      case '\t':
        out += "\\t";
        continue;
      case '\0':
        out += "\\0";
        continue;
      default:
        break;
    }
    if (byte < 0x20 || byte == 0x7F) {
      AppendHex(out, "\\x", byte, 2);
    } else if (byte < 0x80) {
      out += c;
    } else {
      unsigned value = 0;
      const std::size_t length = Utf8Character(text.substr(i), value);
      if (length == 0) {
        // Not UTF-8: a byte of another encoding, shown as it is unless a terminal would take it
        // for a C1 control.
        if (byte <= 0x9F) {
          AppendHex(out, "\\x", byte, 2);
        } else {
          out += c;
        }
        continue;
      }
      if (value <= 0x9F) {
        AppendHex(out, "\\u", value, 4);
      } else {
        out.append(text.substr(i, length));
      }
      i += length - 1;
    }
  }
}

TraceTextParts SplitTraceContext(std::string_view text) {
  std::size_t at = text.size();
  for (int bar = 0; bar < 4; ++bar) {
    if (at == 0) return {text, {}};
    at = text.rfind('|', at - 1);
    if (at == std::string_view::npos) return {text, {}};
  }
  return {text.substr(0, at), text.substr(at + 1)};
}

std::optional<std::string> FromVisible(std::string_view visible) {
  std::string out;
  out.reserve(visible.size());
  const auto hex = [&](std::size_t at, std::size_t digits) -> std::optional<unsigned> {
    if (at + digits > visible.size()) return std::nullopt;
    unsigned value = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
      const char c = visible[i];
      const int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                               : -1;
      if (digit < 0) return std::nullopt;
      value = value * 16 + static_cast<unsigned>(digit);
    }
    return value;
  };
  for (std::size_t i = 0; i < visible.size(); ++i) {
    if (visible[i] != '\\') {
      out += visible[i];
      continue;
    }
    if (++i == visible.size()) return std::nullopt;
    switch (visible[i]) {
      case '\\':
        out += '\\';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case '0':
        out += '\0';
        break;
      case 'x': {
        const auto value = hex(i + 1, 2);
        if (!value) return std::nullopt;
        out += static_cast<char>(*value);
        i += 2;
        break;
      }
      case 'u': {
        // Only the C1 controls are written so: two bytes of UTF-8.
        const auto value = hex(i + 1, 4);
        if (!value || *value < 0x80 || *value > 0x9F) return std::nullopt;
        out += static_cast<char>(0xC0 | (*value >> 6));
        out += static_cast<char>(0x80 | (*value & 0x3F));
        i += 4;
        break;
      }
      default:
        return std::nullopt;
    }
  }
  return out;
}

std::string LocalTimeWithMillis(std::chrono::system_clock::time_point t) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(t);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count() % 1000;
  // Messages come many to a second: the clock's text is made once a second.
  thread_local std::time_t lastSeconds = -1;
  thread_local char clock[16];
  if (seconds != lastSeconds) {
    std::tm local{};
    localtime_r(&seconds, &local);
    std::strftime(clock, sizeof clock, "%H:%M:%S", &local);
    lastSeconds = seconds;
  }
  char out[24];
  std::snprintf(out, sizeof out, "%s.%03d", clock, static_cast<int>(millis < 0 ? 0 : millis));
  return out;
}

void AppendTraceLinePrefix(std::string& out, std::chrono::system_clock::time_point received,
                           std::int64_t pid, std::string_view visibleName) {
  out += LocalTimeWithMillis(received);
  out += " [";
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, pid).ptr);
  out += ' ';
  out += visibleName;
  out += "] ";
}

std::string FormatTraceLine(const TraceMessage& m, bool verbose) {
  std::string line;
  AppendTraceLinePrefix(line, m.received, m.pid, MakeVisible(m.processName));
  if (verbose) {
    line += "cbData=" + std::to_string(m.cbData) + " dwData=" + std::to_string(m.dwData) + " ";
  }
  AppendVisible(line, m.text);
  return line;
}

void AppendTraceLine(std::string& out, std::chrono::system_clock::time_point received,
                     std::int64_t pid, std::string_view visibleName, std::string_view visibleText) {
  AppendTraceLinePrefix(out, received, pid, visibleName);
  out += visibleText;
}

std::optional<std::string> CheckLength(std::uint32_t length, std::uint32_t maxRecord) {
  if (length > maxRecord) {
    return "record of " + std::to_string(length) + " bytes is over the bound of " +
           std::to_string(maxRecord);
  }
  return std::nullopt;
}

std::optional<std::string> CheckHeader(const TraceWireHeader& h, std::uint32_t maxRecord) {
  if (h.magic != kTraceRecordMagic) return "not a trace record";
  return CheckLength(h.length, maxRecord);
}

std::optional<std::string> CheckRecord(std::uint32_t cbData, std::string_view payload) {
  if (cbData != payload.size()) {
    return "cbData " + std::to_string(cbData) + " does not match the " +
           std::to_string(payload.size()) + " bytes sent";
  }
  if (payload.empty() || payload.back() != '\0') return "text has no terminating NUL";
  return std::nullopt;
}

}  // namespace zeb
