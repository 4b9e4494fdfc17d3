#include "trace/TraceSocketPath.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

bool Reject(std::string* why, std::string reason) {
  if (why != nullptr) *why = std::move(reason);
  return false;
}

// A directory of ours that no one else can write to (and so cannot swap our socket in).
bool SafeDirectory(const std::string& dir, bool privateMode, std::string* why) {
  struct stat st {};
  if (lstat(dir.c_str(), &st) != 0) {
    return Reject(why, dir + ": " + std::strerror(errno));
  }
  if (!S_ISDIR(st.st_mode)) return Reject(why, dir + " is not a directory");
  if (st.st_uid != geteuid()) return Reject(why, dir + " belongs to another user");
  const mode_t others = privateMode ? (S_IRWXG | S_IRWXO) : (S_IWGRP | S_IWOTH);
  if ((st.st_mode & others) != 0) {
    return Reject(why, dir + " is open to other users");
  }
  return true;
}

}  // namespace

std::optional<std::string> TraceSocketPath(bool create, std::string* why) {
  const char* xdg = std::getenv("XDG_RUNTIME_DIR");
  std::string dir;
  if (xdg != nullptr && xdg[0] == '/') {
    dir = xdg;
    if (!SafeDirectory(dir, false, why)) return std::nullopt;
  } else {
    dir = "/tmp/zeb-trace-" + std::to_string(geteuid());
    if (create && mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
      Reject(why, dir + ": " + std::strerror(errno));
      return std::nullopt;
    }
    if (!SafeDirectory(dir, true, why)) return std::nullopt;
  }
  return dir + "/" + kTraceViewerClass;
}
