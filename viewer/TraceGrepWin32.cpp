#include <algorithm>
#include <regex>

#include "viewer/TraceGrep.h"
#include "viewer/Viewer.h"

namespace zeb {

namespace {

// Only the start of a longer text is matched, so that no message holds the viewer for long.
constexpr std::size_t kMatchedBytes = std::size_t{1} << 20;

constexpr auto kSyntax =
    std::regex::extended | std::regex::nosubs | std::regex_constants::__polynomial;

}  // namespace

// The standard library's breadth-first executor (__polynomial) keeps a set of states instead of
// backtracking, and its depth does not grow with the text. A search would run it once from every
// position, so the pattern is matched whole as ".*(PATTERN).*": one pass over the text, in time
// proportional to the text times the pattern's states (which the library bounds). "^" and "$"
// keep their meaning: they match only at the text's ends, which ".*" reaches empty. The visible
// text holds no NUL, the one character "." does not take.
struct TraceGrep::Compiled {
  std::regex pattern;
};

TraceGrep::TraceGrep(const std::string& pattern, bool caseSensitive) {
  try {
    const auto syntax = caseSensitive ? kSyntax : kSyntax | std::regex::icase;
    std::regex(pattern, syntax);  // alone first: ")(" would pass once wrapped
    compiled_ = std::make_unique<Compiled>(Compiled{std::regex(".*(" + pattern + ").*", syntax)});
  } catch (const std::regex_error& e) {
    throw ViewerError(e.what());
  }
}

TraceGrep::~TraceGrep() = default;

bool TraceGrep::Matches(std::string_view text) const {
  const char* begin = text.data();
  return std::regex_match(begin, begin + std::min(text.size(), kMatchedBytes), compiled_->pattern);
}

std::size_t TraceGrep::Find(std::string_view text, std::size_t from) const {
  // A line at a time: the executor matches one text whole.
  while (from < text.size()) {
    std::size_t end = text.find('\n', from);
    if (end == std::string_view::npos) end = text.size();
    if (Matches(text.substr(from, end - from))) return from;
    from = end + 1;
  }
  return std::string_view::npos;
}

}  // namespace zeb
