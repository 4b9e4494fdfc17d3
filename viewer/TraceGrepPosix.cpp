#include <re2/re2.h>

#include "viewer/TraceGrep.h"
#include "viewer/Viewer.h"

namespace zeb {

struct TraceGrep::Compiled {
  explicit Compiled(const std::string& pattern, const RE2::Options& options)
      : re(pattern, options) {}
  RE2 re;
};

TraceGrep::TraceGrep(const std::string& pattern, bool caseSensitive) {
  RE2::Options options;
  // POSIX extended syntax, with \d \s \w and \b as before.
  options.set_posix_syntax(true);
  options.set_perl_classes(true);
  options.set_word_boundary(true);
  options.set_never_capture(true);
  options.set_case_sensitive(caseSensitive);
  options.set_log_errors(false);
  auto compiled = std::make_unique<Compiled>(pattern, options);
  if (!compiled->re.ok()) throw ViewerError(compiled->re.error());
  compiled_ = std::move(compiled);
}

TraceGrep::~TraceGrep() = default;

bool TraceGrep::Matches(std::string_view text) const {
  return RE2::PartialMatch(text, compiled_->re);
}

}  // namespace zeb
