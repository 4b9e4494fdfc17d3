#include <fstream>

#include "testkit/TestSupport.h"

namespace zeb::test {

bool LibraryLoaded(const std::string& fileName) {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line))
    if (line.ends_with("/" + fileName)) return true;
  return false;
}

}  // namespace zeb::test
