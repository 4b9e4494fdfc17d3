// A real viewer where this user's senders look for it, serving on a thread of the test while the
// object lives: on Win32 the session's "TFormTrace" window; on POSIX the socket in a private
// runtime directory that XDG_RUNTIME_DIR names meanwhile.
#pragma once

#if defined(_WIN32)
#include "testkit/WindowViewerFixture.h"

namespace zeb {

class UserViewer : public RunningViewer {};

}  // namespace zeb
#else
#include <stdlib.h>
#include <sys/stat.h>

#include "testkit/ViewerFixture.h"

namespace zeb {

class UserViewer {
 public:
  UserViewer() : viewer_(Runtime(dir_) + "/TFormTrace") {}
  ~UserViewer() { unsetenv("XDG_RUNTIME_DIR"); }
  UserViewer(const UserViewer&) = delete;
  UserViewer& operator=(const UserViewer&) = delete;

  std::vector<TraceMessage> Messages() { return viewer_.Messages(); }

 private:
  static const std::string& Runtime(const TempDir& dir) {
    chmod(dir.Path().c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);
    return dir.Path();
  }

  TempDir dir_;
  RunningViewer viewer_;
};

}  // namespace zeb
#endif
