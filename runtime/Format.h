// Formatting with the runtime's rules: a format text and a typed argument list.
//
//   %[index:][-][width][.precision]type     and "%%" for a percent sign
//
// index, width and precision are decimal numbers or "*", which takes the value from the next
// argument (an integer); a dot with no number after it is precision 0. The types:
//   d  signed decimal; precision is the minimum number of digits
//   u  unsigned decimal (a 32-bit argument is read as 32 bits unsigned)
//   x  upper-case hexadecimal; precision is the minimum number of digits
//   e  scientific "-d.dddE+ddd"; precision is the number of significant digits (default 15,
//      2 to 17)
//   f  fixed; precision is the number of decimals (default 2, at most 18)
//   g  fixed, or scientific ("1.5E-7") when the value is below 0.00001 or needs more integer
//      digits than precision; at most precision significant digits (default 15, 2 to 17), no
//      trailing zeros
//   n  as f with "," between thousands
//   m  money: as n followed by "$"
//   p  pointer, as 16 upper-case hexadecimal digits
//   s  text, or a single character; precision is the maximum number of characters
// Floating-point values round half away from zero, from their exact binary value; a result that
// rounds to zero has no sign; infinities are "+Inf" and "-Inf", not-a-number is "Nan".
// The result is padded with spaces to width, on the left, or on the right with "-". A negative
// width from "*" counts as its magnitude, a negative precision from "*" as none. An index sets
// the argument the conversion takes; the next conversion takes the one after it.
//
// A format that does not fit its arguments (too few of them, an argument of the wrong kind for
// its conversion, an unknown conversion, a "%" with no conversion after it, a width or precision
// above 1048576) raises EConvertError naming the format; so does one whose result would be longer
// than kFormatMaxLength, before that much is built.
#pragma once

#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "api/Export.h"

namespace zeb {

// The longest result Format gives (64 MiB); a format whose result would be longer raises.
inline constexpr std::size_t kFormatMaxLength = std::size_t{64} << 20;

// One typed argument. It refers to text it was made from and does not own it: it lives for the
// duration of one call.
class TVarRec {
 public:
  enum class Kind : std::uint8_t { Integer, Int64, Extended, String, Char, Pointer };

  // Signed integers of up to 32 bits, and unsigned ones narrower than 32 bits, are 32-bit
  // integers; 32-bit unsigned values, and all 64-bit ones, are 64-bit integers (a 64-bit
  // unsigned value keeps its bit pattern).
  template <std::integral T>
  requires(!std::same_as<T, bool> && !std::same_as<T, char>) constexpr TVarRec(
      T value) noexcept {  // NOLINT(google-explicit-constructor)
    if constexpr (sizeof(T) < 4 || (sizeof(T) == 4 && std::is_signed_v<T>)) {
      kind_ = Kind::Integer;
      int32_ = static_cast<std::int32_t>(value);
    } else {
      kind_ = Kind::Int64;
      int64_ = static_cast<std::int64_t>(value);
    }
  }
  template <std::floating_point T>
  constexpr TVarRec(T value) noexcept  // NOLINT(google-explicit-constructor)
      : kind_(Kind::Extended), extended_(static_cast<double>(value)) {}
  constexpr TVarRec(char value) noexcept  // NOLINT(google-explicit-constructor)
      : kind_(Kind::Char), char_(value) {}
  constexpr TVarRec(std::string_view value) noexcept  // NOLINT(google-explicit-constructor)
      : kind_(Kind::String), text_{value.data(), value.size()} {}
  TVarRec(const std::string& value) noexcept  // NOLINT(google-explicit-constructor)
      : TVarRec(std::string_view(value)) {}
  constexpr TVarRec(const char* value) noexcept  // NOLINT(google-explicit-constructor)
      : TVarRec(value != nullptr ? std::string_view(value) : std::string_view()) {}
  constexpr TVarRec(char* value) noexcept  // NOLINT(google-explicit-constructor)
      : TVarRec(static_cast<const char*>(value)) {}
  constexpr TVarRec(const void* value) noexcept  // NOLINT(google-explicit-constructor)
      : kind_(Kind::Pointer), pointer_(value) {}
  constexpr TVarRec(std::nullptr_t) noexcept  // NOLINT(google-explicit-constructor)
      : kind_(Kind::Pointer), pointer_(nullptr) {}
  TVarRec(bool) = delete;

  constexpr Kind kind() const noexcept { return kind_; }
  constexpr std::int32_t AsInteger() const noexcept { return int32_; }
  constexpr std::int64_t AsInt64() const noexcept { return int64_; }
  constexpr double AsExtended() const noexcept { return extended_; }
  constexpr char AsChar() const noexcept { return char_; }
  constexpr std::string_view AsString() const noexcept { return {text_.data, text_.size}; }
  constexpr const void* AsPointer() const noexcept { return pointer_; }

 private:
  struct Text {
    const char* data;
    std::size_t size;
  };
  Kind kind_;
  union {
    std::int32_t int32_;
    std::int64_t int64_;
    double extended_;
    char char_;
    Text text_;
    const void* pointer_;
  };
};

ZEB_RTL_API std::string Format(std::string_view fmt, std::span<const TVarRec> args);

// As Format, into result; result is left unchanged when the format raises.
ZEB_RTL_API void FmtStr(std::string& result, std::string_view fmt, std::span<const TVarRec> args);

// A value that makes one TVarRec; a list of TVarRec (an array, a vector) is not one but goes to
// the span overloads.
template <class T>
concept TVarRecValue = std::constructible_from<TVarRec, const T&> &&
    !std::is_convertible_v<const T&, std::span<const TVarRec>>;

template <TVarRecValue... Args>
std::string Format(std::string_view fmt, const Args&... args) {
  const std::array<TVarRec, sizeof...(Args)> list{TVarRec(args)...};
  return Format(fmt, std::span<const TVarRec>(list));
}

// What each argument of a format must be, by position; for callers that hold their arguments
// as text (a command line) and must convert them first. Raises EConvertError as Format does for
// a format that is malformed in itself. Positions no conversion uses are Unused.
enum class TFormatArgKind : std::uint8_t { Unused, Integer, Float, Text, Pointer };
ZEB_RTL_API std::vector<TFormatArgKind> FormatArgKinds(std::string_view fmt);

}  // namespace zeb
