// Driving the real Geany as a user would, for the tests of the Geany bridge: a virtual X display
// of the test's own (Xvfb on a free display number, with a window manager, so that focus and
// dialogs behave as on a desktop), Geany started on it with a configuration folder of its own and
// the plugin enabled through that folder's geany.conf, and key presses sent with xdotool.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "testkit/TestSupport.h"

namespace zeb::test {

using Variables = std::vector<std::pair<std::string, std::string>>;

// A program started in the background, with `variables` added to this process's environment and
// its output in `log`; stopped (SIGTERM, then SIGKILL) when the object goes.
class Process {
 public:
  Process(const std::vector<std::string>& args, const Variables& variables, const std::string& log);
  // Takes over a child process already started.
  explicit Process(pid_t running) noexcept : pid_(running) {}
  ~Process() { Stop(); }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  pid_t Pid() const noexcept { return pid_; }
  bool Running() noexcept;
  void Stop() noexcept;

 private:
  pid_t pid_ = -1;
};

struct Output {
  int status = -1;
  std::string out;
};
// Runs a program to its end with `variables` added to the environment; its standard output.
Output Run(const std::vector<std::string>& args, const Variables& variables = {});

// Polls `ready` every 50 ms until it holds or `timeout` has passed; whether it held.
bool WaitFor(const std::function<bool()>& ready,
             std::chrono::milliseconds timeout = std::chrono::seconds(30));

// An X display of the test's own with openbox on it.
class XDisplay {
 public:
  XDisplay();
  const std::string& Name() const noexcept { return name_; }

  // xdotool and the other X tools on this display.
  Output Tool(std::vector<std::string> args) const;
  // Presses keys (xdotool's names: "ctrl+alt+u", "shift+Tab") in the window that has the focus.
  void Keys(const std::vector<std::string>& keys) const;
  // The visible windows whose title is `title` exactly.
  std::vector<std::string> WindowsTitled(const std::string& title) const;
  struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;  // the client area, on the screen
  };
  Geometry GeometryOf(const std::string& window) const;
  // The window with the frame the window manager put around it.
  Geometry FrameOf(const std::string& window) const;
  // The text the clipboard holds.
  std::string Clipboard() const;
  // Saves the screen, or the part `area` covers, as ZEB_SCREENSHOT_DIR/NAME; nothing when that is
  // not set.
  void Screenshot(const std::string& name) const;
  void Screenshot(const std::string& name, const Geometry& area) const;

 private:
  static Geometry Parse(const std::string& xwininfo);
  static int Field(const std::string& xwininfo, const std::string& label);

  TempDir dir_;
  std::string name_;
  std::unique_ptr<Process> server_;
  std::unique_ptr<Process> windowManager_;
};

// Geany on a display, with a configuration folder, user folders and log of its own.
class GeanySession {
 public:
  struct Options {
    bool plugin = true;                          // enabled through geany.conf
    std::string pluginFile = {};                 // by default the build's
    std::vector<std::string> files = {};         // opened at the start
    std::vector<std::string> userPackages = {};  // copied into the user's packages folder first
    Variables variables = {};                    // added to Geany's environment
  };
  GeanySession(const XDisplay& display, Options options);
  ~GeanySession();

  const TempDir& Folder() const noexcept { return dir_; }
  // The user's packages folder the plugin loads from (XDG_DATA_HOME/zeb-ide/packages/).
  std::string UserPackages() const;
  pid_t Pid() const noexcept { return geany_->Pid(); }
  bool Running() noexcept { return geany_->Running(); }
  const std::string& MainWindow() const noexcept { return window_; }

  // Makes Geany's window the active one and presses the keys in it.
  void Keys(const std::vector<std::string>& keys) const;
  // Saves Geany's window, with what lies over it, as Screenshot does.
  void Screenshot(const std::string& name) const;
  // What the plugin showed the user (ZEB_GEANY_LOG), one line each.
  std::string Log() const;
  bool WaitForLog(const std::string& text) const;
  // The resident memory of Geany's process, in KiB.
  long ResidentKib() const;

 private:
  const XDisplay* display_;
  TempDir dir_;
  std::unique_ptr<Process> geany_;
  std::string window_;
};

// The build's plugin and the folder Geany should find it in.
std::string BuildPlugin();

}  // namespace zeb::test
