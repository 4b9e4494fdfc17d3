// Where the viewer's socket lives: "TFormTrace" in the user's runtime directory. That is
// $XDG_RUNTIME_DIR when it is set to an absolute path of a directory the user owns that no one
// else may write to, and otherwise /tmp/zeb-trace-<uid>, created with mode 0700 (an existing one
// must be a real directory of the user's with that mode, or it is not used).
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "trace/TraceTransport.h"

namespace zeb {

// Where the socket is, or why no safe directory is available.
struct TraceSocketLocation {
  std::optional<std::string> path;
  std::string problem;  // set when there is no path
};

// Looks for the socket's directory; `create` makes the fallback directory when missing.
TraceSocketLocation LocateTraceSocket(bool create);

// The same path with none of the checks, written NUL-terminated into `out`; false when it does
// not fit. Costs next to nothing: a caller looks with it whether anything is there at all before
// it pays for the checks.
bool UncheckedTraceSocketPath(char* out, std::size_t size) noexcept;

}  // namespace zeb
