#include <regex.h>

#include "viewer/TraceGrep.h"
#include "viewer/Viewer.h"

namespace zeb {

struct TraceGrep::Compiled {
  regex_t pattern{};
  bool made = false;  // regcomp leaves nothing to free when it fails
  ~Compiled() {
    if (made) regfree(&pattern);
  }
};

TraceGrep::TraceGrep(const std::string& pattern) {
  auto compiled = std::make_unique<Compiled>();
  const int rc = regcomp(&compiled->pattern, pattern.c_str(), REG_EXTENDED | REG_NOSUB);
  if (rc != 0) {
    char text[256];
    regerror(rc, &compiled->pattern, text, sizeof text);
    throw ViewerError("bad --grep pattern: " + std::string(text));
  }
  compiled->made = true;
  compiled_ = std::move(compiled);
}

TraceGrep::~TraceGrep() = default;

bool TraceGrep::Matches(const std::string& text) const {
  return regexec(&compiled_->pattern, text.c_str(), 0, nullptr, 0) == 0;
}

}  // namespace zeb
