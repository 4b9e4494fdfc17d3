#include "trace/TraceSocketPath.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace zeb {

namespace {

// Why `dir` is not a directory of ours that no one else can write to (and so cannot swap our
// socket in); empty when it is one.
std::string UnsafeDirectory(const std::string& dir, bool privateMode) {
  struct stat st {};
  if (lstat(dir.c_str(), &st) != 0) return dir + ": " + std::strerror(errno);
  if (!S_ISDIR(st.st_mode)) return dir + " is not a directory";
  if (st.st_uid != geteuid()) return dir + " belongs to another user";
  const mode_t others = privateMode ? (S_IRWXG | S_IRWXO) : (S_IWGRP | S_IWOTH);
  if ((st.st_mode & others) != 0) return dir + " is open to other users";
  return {};
}

const char* RuntimeDirectoryFromEnvironment() {
  const char* xdg = std::getenv("XDG_RUNTIME_DIR");
  return xdg != nullptr && xdg[0] == '/' ? xdg : nullptr;
}

constexpr char kFallbackPrefix[] = "/tmp/zeb-trace-";

}  // namespace

TraceSocketLocation LocateTraceSocket(bool create) {
  const char* xdg = RuntimeDirectoryFromEnvironment();
  const bool fallback = xdg == nullptr;
  const std::string dir = fallback ? kFallbackPrefix + std::to_string(geteuid()) : xdg;
  if (fallback && create && mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
    return {std::nullopt, dir + ": " + std::strerror(errno)};
  std::string problem = UnsafeDirectory(dir, fallback);
  if (!problem.empty()) return {std::nullopt, std::move(problem)};
  return {dir + "/" + kTraceViewerClass, {}};
}

bool UncheckedTraceSocketPath(char* out, std::size_t size) noexcept {
  char* at = out;
  char* const end = out + size;
  const auto put = [&](const char* text, std::size_t length) {
    if (static_cast<std::size_t>(end - at) <= length) return false;
    std::memcpy(at, text, length);
    at += length;
    return true;
  };
  if (const char* xdg = RuntimeDirectoryFromEnvironment()) {
    if (!put(xdg, std::strlen(xdg))) return false;
  } else {
    char uid[16];
    const auto digits = std::to_chars(uid, uid + sizeof uid, geteuid()).ptr;
    if (!put(kFallbackPrefix, sizeof kFallbackPrefix - 1) ||
        !put(uid, static_cast<std::size_t>(digits - uid))) {
      return false;
    }
  }
  if (!put("/", 1) || !put(kTraceViewerClass, std::strlen(kTraceViewerClass))) return false;
  *at = '\0';
  return true;
}

}  // namespace zeb
