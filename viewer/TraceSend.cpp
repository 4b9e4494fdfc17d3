#include "viewer/TraceSend.h"

#include <charconv>
#include <cstdint>
#include <limits>

#include "runtime/Exceptions.h"

namespace zeb {

namespace {

std::string Position(std::size_t i, const std::string& text) {
  return "argument " + std::to_string(i + 1) + " (\"" + text + "\")";
}

bool Parses(const std::string& text, auto& value) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return !text.empty() && ec == std::errc() && ptr == end;
}

}  // namespace

std::vector<TVarRec> ArgumentsForFormat(const std::string& fmt,
                                        const std::vector<std::string>& args) {
  const std::vector<TFormatArgKind> kinds = FormatArgKinds(fmt);
  if (kinds.size() != args.size()) {
    throw EConvertError("the format \"" + fmt + "\" takes " + std::to_string(kinds.size()) +
                        " argument(s), " + std::to_string(args.size()) + " given");
  }
  std::vector<TVarRec> recs;
  recs.reserve(args.size());
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& text = args[i];
    switch (kinds[i]) {
      case TFormatArgKind::Integer: {
        std::int64_t value = 0;
        if (!Parses(text, value)) {
          throw EConvertError(Position(i, text) + " is not an integer, which its conversion needs");
        }
        if (value >= std::numeric_limits<std::int32_t>::min() &&
            value <= std::numeric_limits<std::int32_t>::max()) {
          recs.emplace_back(static_cast<std::int32_t>(value));
        } else {
          recs.emplace_back(value);
        }
        break;
      }
      case TFormatArgKind::Float: {
        double value = 0;
        if (!Parses(text, value)) {
          throw EConvertError(Position(i, text) + " is not a number, which its conversion needs");
        }
        recs.emplace_back(value);
        break;
      }
      case TFormatArgKind::Pointer:
        throw EConvertError(Position(i, text) + ": %p cannot be given on a command line");
      case TFormatArgKind::Text:
      case TFormatArgKind::Unused:
        recs.emplace_back(std::string_view(text));
        break;
    }
  }
  return recs;
}

}  // namespace zeb
