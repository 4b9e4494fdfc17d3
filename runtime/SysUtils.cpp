#include "runtime/SysUtils.h"

#include <charconv>

std::string LowerCase(std::string_view s) {
  std::string result(s);
  for (char& c : result) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return result;
}

std::string ExtractFileExt(std::string_view fileName) {
  const auto at = fileName.find_last_of(".\\:/");
  if (at == std::string_view::npos || fileName[at] != '.') return {};
  return std::string(fileName.substr(at));
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
