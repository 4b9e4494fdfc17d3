#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>

#include "testkit/ProgramRun.h"
#include "testkit/TestSupport.h"

namespace zeb::test {

const char kSeparator = '/';
const char* const kPackageSuffix = ".so";

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& dir, const Environment& environment) {
  const std::string outPath = dir + "/.stdout", errPath = dir + "/.stderr";
  std::vector<std::string> words{program};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words)
    argv.push_back(word.data());
  argv.push_back(nullptr);

  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || ::chdir(dir.c_str()) != 0) ::_exit(127);
    ::dup2(in, 0), ::dup2(out, 1), ::dup2(err, 2);
    for (const auto& [name, value] : environment)
      ::setenv(name.c_str(), value.c_str(), 1);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int raw = 0;
  while (::waitpid(pid, &raw, 0) < 0)
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  ProgramRun run{ReadFile(outPath), ReadFile(errPath), WIFEXITED(raw) ? WEXITSTATUS(raw) : -1};
  std::filesystem::remove(outPath);
  std::filesystem::remove(errPath);
  return run;
}

std::string NativePath(const std::string& buildPath) {
  return buildPath;
}

UserFolders FixedUserFolders() {
  return {{{"XDG_DATA_HOME", "/xdg/data"}, {"XDG_CONFIG_HOME", "/xdg/config"}}, {}};
}

}  // namespace zeb::test
