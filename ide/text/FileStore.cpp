#include "ide/text/FileStore.h"

#include <cstdio>

#include "ide/text/FileStoreShared.h"
#include "runtime/Exceptions.h"

namespace zeb::filestore {

void Fail(const std::string& what, const std::string& path, const std::string& reason) {
  throw EInOutError(what + " " + path + ": " + reason);
}

// FNV-1a: short, and the same on every system.
std::string TemporaryPrefix(std::string_view name) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : name) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  char prefix[40];
  std::snprintf(prefix, sizeof prefix, ".zeb-save.%016llx.", static_cast<unsigned long long>(hash));
  return prefix;
}

std::uint64_t TemporaryOwner(std::string_view entry, std::string_view prefix) {
  if (!entry.starts_with(prefix)) return 0;
  const std::string_view rest = entry.substr(prefix.size());
  const std::size_t dot = rest.find('.');
  // A process id has at most 10 digits (a 32-bit number).
  if (dot == 0 || dot == std::string_view::npos || dot > 10) return 0;
  std::uint64_t pid = 0;
  for (const char c : rest.substr(0, dot)) {
    if (c < '0' || c > '9') return 0;
    pid = pid * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return pid;
}

}  // namespace zeb::filestore
