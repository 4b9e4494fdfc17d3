// String helpers of the IDE's runtime. Strings are byte strings; only ASCII letters change case.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "api/Export.h"

namespace zeb {

// Lower-cases the ASCII letters A to Z, byte by byte; every other byte is kept. A string passed
// as an rvalue is lower-cased in place and handed back, without a new allocation.
ZEB_RTL_API std::string LowerCase(std::string_view s);
ZEB_RTL_API std::string LowerCase(std::string&& s);
inline std::string LowerCase(const char* s) {
  return LowerCase(std::string_view(s));
}

// The extension of a file name: the text from the last "." that stands after the last path
// separator, dot included, or "" when there is none. Separators are "\" and ":" as on the IDE's
// own platform, and "/" so that POSIX paths with dotted folders work.
ZEB_RTL_API std::string ExtractFileExt(std::string_view fileName);

// Decimal, with a leading "-" when negative.
ZEB_RTL_API std::string IntToStr(std::int32_t value);
ZEB_RTL_API std::string IntToStr(std::int64_t value);

}  // namespace zeb
