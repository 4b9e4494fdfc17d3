#include "tests/ide/geany/GeanySession.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace zeb::test {

namespace {

std::vector<char*> Argv(std::vector<std::string>& words) {
  std::vector<char*> argv;
  for (std::string& word : words)
    argv.push_back(word.data());
  argv.push_back(nullptr);
  return argv;
}

// In the child after fork: the environment, then the program; `passFd` stays open across exec.
[[noreturn]] void Exec(std::vector<std::string> args, const Variables& variables, int passFd) {
  for (const auto& [name, value] : variables)
    ::setenv(name.c_str(), value.c_str(), 1);
  if (passFd >= 0) ::fcntl(passFd, F_SETFD, 0);
  const std::vector<char*> argv = Argv(args);
  ::execvp(argv[0], argv.data());
  ::_exit(127);
}

pid_t Start(const std::vector<std::string>& args, const Variables& variables,
            const std::string& log, int passFd) {
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (in < 0 || out < 0) ::_exit(127);
    ::dup2(in, 0), ::dup2(out, 1), ::dup2(out, 2);
    Exec(args, variables, passFd);
  }
  return pid;
}

std::string Escaped(const std::string& title) {
  return std::regex_replace(title, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
}

}  // namespace

Process::Process(const std::vector<std::string>& args, const Variables& variables,
                 const std::string& log)
    : pid_(Start(args, variables, log, -1)) {}

bool Process::Running() noexcept {
  if (pid_ < 0) return false;
  int status = 0;
  if (::waitpid(pid_, &status, WNOHANG) == pid_) {
    pid_ = -1;
    return false;
  }
  return true;
}

void Process::Stop() noexcept {
  if (!Running()) return;
  // The programs under test are stopped as a crash would stop them: what they do when they quit
  // is not what these tests are about, and Geany asks about unsaved files.
  ::kill(pid_, SIGKILL);
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
}

Output Run(const std::vector<std::string>& args, const Variables& variables) {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    ::dup2(pipeFds[1], 1);
    const int in = ::open("/dev/null", O_RDONLY);
    if (in >= 0) ::dup2(in, 0);
    Exec(args, variables, -1);
  }
  ::close(pipeFds[1]);
  Output output;
  char buffer[4096];
  for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    output.out.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(pipeFds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  output.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return output;
}

bool WaitFor(const std::function<bool()>& ready, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!ready()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

// ---- XDisplay -------------------------------------------------------------------------------

XDisplay::XDisplay() {
  // Xvfb picks a free display number and writes it to the descriptor once it serves.
  int numberFds[2];
  if (::pipe2(numberFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  const pid_t pid = Start({"Xvfb", "-displayfd", std::to_string(numberFds[1]), "-screen", "0",
                           "1400x900x24", "-nolisten", "tcp"},
                          {}, dir_ / "xvfb.log", numberFds[1]);
  ::close(numberFds[1]);
  server_ = std::make_unique<Process>(pid);
  std::string number;
  pollfd wait{numberFds[0], POLLIN, 0};
  while (number.find('\n') == std::string::npos && ::poll(&wait, 1, 10000) > 0) {
    char c[16];
    const ssize_t n = ::read(numberFds[0], c, sizeof c);
    if (n <= 0) break;
    number.append(c, static_cast<std::size_t>(n));
  }
  ::close(numberFds[0]);
  if (number.find('\n') == std::string::npos)
    throw std::runtime_error("Xvfb did not start: " + ReadFile(dir_ / "xvfb.log"));
  name_ = ":" + number.substr(0, number.find('\n'));

  windowManager_ = std::make_unique<Process>(std::vector<std::string>{"openbox"},
                                             Variables{{"DISPLAY", name_}}, dir_ / "openbox.log");
  // The window manager serves once it has named itself on the root window.
  const bool managed = WaitFor([&] {
    return Tool({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).out.find("window id") !=
           std::string::npos;
  });
  if (!managed)
    throw std::runtime_error("openbox did not start: " + ReadFile(dir_ / "openbox.log"));
}

Output XDisplay::Tool(std::vector<std::string> args) const {
  return Run(args, {{"DISPLAY", name_}});
}

void XDisplay::Keys(const std::vector<std::string>& keys) const {
  std::vector<std::string> args = {"xdotool", "key", "--delay", "40"};
  args.insert(args.end(), keys.begin(), keys.end());
  Tool(args);
}

std::vector<std::string> XDisplay::WindowsTitled(const std::string& title) const {
  std::vector<std::string> windows;
  std::istringstream lines(
      Tool({"xdotool", "search", "--onlyvisible", "--name", "^" + Escaped(title) + "$"}).out);
  for (std::string line; std::getline(lines, line);)
    if (!line.empty()) windows.push_back(line);
  return windows;
}

XDisplay::Geometry XDisplay::GeometryOf(const std::string& window) const {
  return Parse(Tool({"xwininfo", "-id", window}).out);
}

XDisplay::Geometry XDisplay::FrameOf(const std::string& window) const {
  // The window's place in its frame is the frame's left border and title bar.
  const std::string info = Tool({"xwininfo", "-id", window}).out;
  Geometry frame = Parse(info);
  const int left = Field(info, "Relative upper-left X:");
  const int top = Field(info, "Relative upper-left Y:");
  return {frame.x - left, frame.y - top, frame.width + 2 * left, frame.height + top + left};
}

int XDisplay::Field(const std::string& info, const std::string& label) {
  const std::size_t at = info.find(label);
  return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + label.size());
}

XDisplay::Geometry XDisplay::Parse(const std::string& info) {
  return {Field(info, "Absolute upper-left X:"), Field(info, "Absolute upper-left Y:"),
          Field(info, "Width:"), Field(info, "Height:")};
}

std::string XDisplay::Clipboard() const {
  return Tool({"xclip", "-o", "-selection", "clipboard"}).out;
}

void XDisplay::Screenshot(const std::string& name) const {
  Screenshot(name, Geometry{});
}

void XDisplay::Screenshot(const std::string& name, const Geometry& area) const {
  const char* folder = std::getenv("ZEB_SCREENSHOT_DIR");
  if (folder == nullptr || folder[0] == '\0') return;
  std::filesystem::create_directories(folder);
  std::vector<std::string> args = {"import", "-window", "root"};
  if (area.width > 0) {
    args.insert(args.end(),
                {"-crop", std::to_string(area.width) + "x" + std::to_string(area.height) + "+" +
                              std::to_string(area.x) + "+" + std::to_string(area.y)});
  }
  args.push_back(std::string(folder) + "/" + name);
  Tool(args);
}

// ---- GeanySession ---------------------------------------------------------------------------

std::string BuildPlugin() {
  return ZEB_GEANY_PLUGIN;
}

GeanySession::GeanySession(const XDisplay& display, Options options) : display_(&display) {
  for (const char* folder : {"config", "data", "xdg-config", "cache", "run"})
    std::filesystem::create_directories(dir_ / folder);
  ::chmod((dir_ / "run").c_str(), 0700);
  std::filesystem::create_directories(UserPackages());
  for (const std::string& package : options.userPackages)
    std::filesystem::copy_file(
        package, UserPackages() + "/" + std::filesystem::path(package).filename().string());
  if (options.pluginFile.empty()) options.pluginFile = BuildPlugin();
  std::string conf = "[plugins]\nload_plugins=true\n";
  if (options.plugin) {
    conf +=
        "custom_plugin_path=" + std::filesystem::path(options.pluginFile).parent_path().string() +
        "\nactive_plugins=" + options.pluginFile + ";\n";
  }
  WriteFile(dir_ / "config/geany.conf", conf);

  Variables variables = {{"DISPLAY", display.Name()},
                         {"XDG_DATA_HOME", dir_ / "data"},
                         {"XDG_CONFIG_HOME", dir_ / "xdg-config"},
                         {"XDG_CACHE_HOME", dir_ / "cache"},
                         {"XDG_RUNTIME_DIR", dir_ / "run"},
                         {"ZEB_GEANY_LOG", dir_ / "plugin.log"},
                         {"NO_AT_BRIDGE", "1"}};
  variables.insert(variables.end(), options.variables.begin(), options.variables.end());
  std::vector<std::string> args = {"geany", "-c", dir_ / "config", "-i", "-s"};
  args.insert(args.end(), options.files.begin(), options.files.end());
  geany_ = std::make_unique<Process>(args, variables, dir_ / "geany.log");

  const std::string pid = std::to_string(geany_->Pid());
  const bool shown = WaitFor([&] {
    const std::string found =
        display.Tool({"xdotool", "search", "--onlyvisible", "--pid", pid, "--class", "geany"}).out;
    window_ = found.substr(0, found.find('\n'));
    return !window_.empty();
  });
  if (!shown) throw std::runtime_error("Geany showed no window: " + ReadFile(dir_ / "geany.log"));
  if (!options.plugin) return;
  const bool started = WaitFor([&] {
    const std::string log = Log();
    return log.find(" loaded from ") != std::string::npos ||
           log.find("no packages found") != std::string::npos;
  });
  if (!started)
    throw std::runtime_error("the plugin did not start: " + Log() + ReadFile(dir_ / "geany.log"));
}

GeanySession::~GeanySession() {
  geany_.reset();
}

std::string GeanySession::UserPackages() const {
  return dir_ / "data/zeb-ide/packages";
}

void GeanySession::Keys(const std::vector<std::string>& keys) const {
  display_->Tool({"xdotool", "windowactivate", "--sync", window_});
  display_->Keys(keys);
}

std::string GeanySession::Log() const {
  return std::filesystem::exists(dir_ / "plugin.log") ? ReadFile(dir_ / "plugin.log") : "";
}

bool GeanySession::WaitForLog(const std::string& text) const {
  return WaitFor([&] { return Log().find(text) != std::string::npos; });
}

void GeanySession::Screenshot(const std::string& name) const {
  display_->Screenshot(name, display_->FrameOf(window_));
}

long GeanySession::ResidentKib() const {
  std::ifstream status("/proc/" + std::to_string(geany_->Pid()) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

}  // namespace zeb::test
