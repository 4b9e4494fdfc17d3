// "zeb-trace send": one message through TRACE, its arguments given as command-line text.
#pragma once

#include <string>
#include <vector>

#include "runtime/Format.h"

namespace zeb {

// Converts each argument to the kind its conversion in `fmt` needs: an integer for d, u, x and
// "*", a number for e, f, g, n and m, text for s. Raises EConvertError with a message for the
// user when the format is malformed, the count is wrong, an argument does not convert, or the
// format asks for a pointer. The records refer to the text in `args`, which must outlive them.
std::vector<TVarRec> ArgumentsForFormat(const std::string& fmt,
                                        const std::vector<std::string>& args);

}  // namespace zeb
