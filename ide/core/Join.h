// Join: a list of texts as one, with a separator between them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zeb {

inline std::string Join(const std::vector<std::string>& items, std::string_view separator) {
  std::string text;
  for (const std::string& item : items) {
    if (&item != &items.front()) text += separator;
    text += item;
  }
  return text;
}

}  // namespace zeb
