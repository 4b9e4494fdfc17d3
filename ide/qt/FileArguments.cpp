#include "ide/qt/FileArguments.h"

#include <algorithm>
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

// The readings of "NAME:LINE:COLUMN" and "NAME:LINE" (a colon after them allowed) that `text`
// has, the longer place first.
std::vector<FileLocation> Places(std::string_view text) {
  std::vector<FileLocation> places;
  if (text.ends_with(':')) text.remove_suffix(1);
  const std::size_t last = text.rfind(':');
  if (last == std::string_view::npos || last == 0) return places;
  const std::optional<int> end = Number(text.substr(last + 1));
  if (!end) return places;
  const std::size_t before = text.rfind(':', last - 1);
  if (before != std::string_view::npos && before > 0) {
    if (const std::optional<int> line = Number(text.substr(before + 1, last - before - 1)))
      places.push_back({std::string(text.substr(0, before)), *line, *end});
  }
  places.push_back({std::string(text.substr(0, last)), *end, 0});
  return places;
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
    if (!exists(argument)) {
      // A reading whose name is a file wins ("a:1:2" is line 2 of "a:1" when that is a file);
      // else the longest.
      const std::vector<FileLocation> places = Places(argument);
      const auto file = std::find_if(places.begin(), places.end(),
                                     [&](const FileLocation& place) { return exists(place.path); });
      if (file != places.end())
        location = *file;
      else if (!places.empty())
        location = places.front();
    }
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
