// The viewer's --grep: a POSIX extended regular expression that a message's visible text must
// match somewhere. TraceGrepPosix.cpp uses the C library's regcomp (with its extensions, \w and
// \b among them); TraceGrepWin32.cpp, where there is none, the standard library's extended
// grammar, run by its executor whose depth does not grow with the text, so that a long message
// cannot exhaust the stack.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace zeb {

class TraceGrep {
 public:
  // Raises ViewerError, with the reason, for a pattern that does not compile.
  explicit TraceGrep(const std::string& pattern);
  ~TraceGrep();
  TraceGrep(const TraceGrep&) = delete;
  TraceGrep& operator=(const TraceGrep&) = delete;

  bool Matches(const std::string& text) const;

 private:
  struct Compiled;
  std::unique_ptr<Compiled> compiled_;
};

}  // namespace zeb
