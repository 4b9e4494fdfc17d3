#include <regex>

#include "viewer/TraceGrep.h"
#include "viewer/Viewer.h"

namespace zeb {

// The default executor recurses once per character of the text and overflows the stack on a
// message of some hundred thousand bytes; __polynomial selects the breadth-first one.
struct TraceGrep::Compiled {
  std::regex pattern;
};

TraceGrep::TraceGrep(const std::string& pattern) {
  try {
    compiled_ = std::make_unique<Compiled>(Compiled{std::regex(
        pattern, std::regex::extended | std::regex::nosubs | std::regex_constants::__polynomial)});
  } catch (const std::regex_error& e) {
    throw ViewerError("bad --grep pattern: " + std::string(e.what()));
  }
}

TraceGrep::~TraceGrep() = default;

bool TraceGrep::Matches(const std::string& text) const {
  return std::regex_search(text, compiled_->pattern);
}

}  // namespace zeb
