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
  // Many lines are searched at once (Find): no match crosses a line end, and "^" and "$" match at
  // each line's (one_line is off).
  options.set_never_nl(true);
  options.set_case_sensitive(caseSensitive);
  options.set_log_errors(false);
  auto compiled = std::make_unique<Compiled>(pattern, options);
  if (!compiled->re.ok()) throw ViewerError(compiled->re.error());
  compiled_ = std::move(compiled);
}

TraceGrep::~TraceGrep() = default;

bool TraceGrep::Matches(std::string_view text) const {
  // Match without submatches: PartialMatch's argument handling costs as much as a short match.
  return compiled_->re.Match(text, 0, text.size(), RE2::UNANCHORED, nullptr, 0);
}

std::size_t TraceGrep::Find(std::string_view text, std::size_t from) const {
  re2::StringPiece match;
  if (!compiled_->re.Match(text, from, text.size(), RE2::UNANCHORED, &match, 1)) {
    return std::string_view::npos;
  }
  return static_cast<std::size_t>(match.data() - text.data());
}

}  // namespace zeb
