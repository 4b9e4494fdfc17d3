#include "runtime/SysUtils.h"

#include <charconv>
#include <utility>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace zeb {

namespace {
void LowerCaseBytes(char* bytes, std::size_t size) noexcept {
  std::size_t i = 0;
#ifdef __SSE2__
  // 16 bytes at a time; lower-casing twice changes nothing, so the last 16 bytes may overlap.
  if (size >= 16) {
    const __m128i shift = _mm_set1_epi8(static_cast<char>(0x80 - 'A'));
    const __m128i limit = _mm_set1_epi8(static_cast<char>(0x80 - 0x100 + 26));
    const __m128i toLower = _mm_set1_epi8('a' - 'A');
    auto lower = [&](char* p) {
      const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      const __m128i upper = _mm_cmplt_epi8(_mm_add_epi8(x, shift), limit);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p),
                       _mm_add_epi8(x, _mm_and_si128(upper, toLower)));
    };
    for (; i + 16 <= size; i += 16)
      lower(bytes + i);
    if (i < size) lower(bytes + size - 16);
    return;
  }
#endif
  for (; i < size; ++i) {
    const char c = bytes[i];
    if (c >= 'A' && c <= 'Z') bytes[i] = static_cast<char>(c - 'A' + 'a');
  }
}
}  // namespace

std::string LowerCase(std::string_view s) {
  std::string result(s);
  LowerCaseBytes(result.data(), result.size());
  return result;
}

std::string LowerCase(std::string&& s) {
  LowerCaseBytes(s.data(), s.size());
  return std::move(s);
}

std::string ExtractFileExt(std::string_view fileName) {
  for (std::size_t i = fileName.size(); i-- > 0;) {
    switch (fileName[i]) {
      case '.':
        return std::string(fileName.substr(i));
      case '\\':
      case ':':
      case '/':
        return {};
      default:
        break;
    }
  }
  return {};
}

namespace {
template <class Int>
std::string ToDecimal(Int value) {
  char buffer[24];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, end);
}
}  // namespace

std::string IntToStr(std::int32_t value) {
  return ToDecimal(value);
}
std::string IntToStr(std::int64_t value) {
  return ToDecimal(value);
}

}  // namespace zeb
