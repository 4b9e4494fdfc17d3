// The viewer's --grep: a POSIX extended regular expression that a message's visible text must
// match somewhere, in time linear in the text whatever the pattern, so that no sender can stall
// the viewer. TraceGrepPosix.cpp uses RE2 (with \d \s \w and \b as well); TraceGrepWin32.cpp, where
// there is none, the standard library's extended grammar run breadth first over at most the
// first MiB of the text.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace zeb {

class TraceGrep {
 public:
  // Raises ViewerError, with the reason, for a pattern that does not compile.
  explicit TraceGrep(const std::string& pattern, bool caseSensitive = true);
  ~TraceGrep();
  TraceGrep(const TraceGrep&) = delete;
  TraceGrep& operator=(const TraceGrep&) = delete;

  bool Matches(std::string_view text) const;
  // In `text` made of lines (visible texts, each ended by a line feed), from `from`: where the
  // first match starts, or npos. No match spans a line end; "^" and "$" match at each line's.
  std::size_t Find(std::string_view text, std::size_t from) const;

 private:
  struct Compiled;
  std::unique_ptr<Compiled> compiled_;
};

}  // namespace zeb
