// Utf8Path: std::filesystem paths to and from the UTF-8 strings the program holds paths in.
//
// A path's std::string constructor and string() use the system's narrow encoding, which on
// Windows is a code page that cannot hold every name; these go through UTF-8 on every system
// (on Linux they pass the bytes through as they are).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zeb {

inline std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace zeb
