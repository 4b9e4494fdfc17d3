#include "ide/qt/FileArguments.h"

#include <charconv>
#include <string_view>

namespace zeb {

namespace {

// A positive number written in decimal digits only, or nothing.
std::optional<int> Number(std::string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 1) return std::nullopt;
  return value;
}

// "NAME:LINE" or "NAME:LINE:COLUMN" (a colon after them allowed), or nothing.
std::optional<FileLocation> WithPlace(std::string_view text) {
  if (text.ends_with(':')) text.remove_suffix(1);
  const std::size_t last = text.rfind(':');
  if (last == std::string_view::npos || last == 0) return std::nullopt;
  const std::optional<int> end = Number(text.substr(last + 1));
  if (!end) return std::nullopt;
  const std::size_t before = text.rfind(':', last - 1);
  if (before != std::string_view::npos && before > 0) {
    if (const std::optional<int> line = Number(text.substr(before + 1, last - before - 1)))
      return FileLocation{std::string(text.substr(0, before)), *line, *end};
  }
  return FileLocation{std::string(text.substr(0, last)), *end, 0};
}

}  // namespace

std::optional<std::vector<FileLocation>> ReadFileArguments(
    const std::vector<std::string>& arguments,
    const std::function<bool(const std::string&)>& exists, std::string& error) {
  std::vector<FileLocation> files;
  std::string pending;  // a "+LINE" waiting for its FILE
  int pendingLine = 0;
  for (const std::string& argument : arguments) {
    if (argument.size() > 1 && argument[0] == '+') {
      const std::optional<int> line = Number(std::string_view(argument).substr(1));
      if (!line) {
        error = "\"" + argument + "\" is no line number: write +LINE, or ./" + argument +
                " for a file of that name";
        return std::nullopt;
      }
      pending = argument;
      pendingLine = *line;
      continue;
    }
    FileLocation location{argument, 0, 0};
    if (!exists(argument))
      if (std::optional<FileLocation> place = WithPlace(argument)) location = std::move(*place);
    if (!pending.empty()) {
      location.line = pendingLine;
      location.column = 0;
      pending.clear();
    }
    files.push_back(std::move(location));
  }
  if (!pending.empty()) {
    error = pending + " names the line of no FILE: write +LINE FILE";
    return std::nullopt;
  }
  return files;
}

}  // namespace zeb
