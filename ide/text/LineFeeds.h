// LineFeeds: finding the line feeds in a run of bytes, for the line index of a TextBuffer and
// for the block rewrites that rebuild it as they go.
//
// Lines of source are short, so the scan tests 16 bytes at a time and walks the bits of the
// matches rather than calling memchr once a line.
#pragma once

#include <cstddef>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace zeb {

// Calls `found(p)` for each LF at p in [begin, end), in order.
template <class Found>
void ForEachBreak(const char* begin, const char* end, Found found) {
  const char* p = begin;
#ifdef __SSE2__
  const __m128i lf = _mm_set1_epi8('\n');
  for (; end - p >= 16; p += 16) {
    auto mask = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), lf)));
    while (mask != 0) {
      found(p + __builtin_ctz(mask));
      mask &= mask - 1;
    }
  }
#endif
  for (; p < end; ++p)
    if (*p == '\n') found(p);
}

inline std::size_t CountBreaks(const char* bytes, std::size_t size) noexcept {
  std::size_t count = 0;
  ForEachBreak(bytes, bytes + size, [&](const char*) { ++count; });
  return count;
}

}  // namespace zeb
