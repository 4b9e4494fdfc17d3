// Running a program of the build as a user would, for end-to-end tests: in a folder of its own,
// with some variables of the environment set, its standard input empty, and what it writes
// collected. One implementation each for POSIX and Win32 (ProgramRunPosix.cpp,
// ProgramRunWin32.cpp).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zeb::test {

struct ProgramRun {
  std::string out, err;
  int status = -1;  // the exit status; -1 when the program did not exit by itself
};

using Environment = std::vector<std::pair<std::string, std::string>>;

// Runs `program` with `args` in the folder `dir`, with `environment` added to this process's
// environment and standard input empty. Standard output and error go through the files
// `dir`/.stdout and `dir`/.stderr, which are removed again.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& dir, const Environment& environment);

// A path of the machine the tests were built on, as programs on this platform name it: on POSIX
// the path itself; on Windows, where a Windows build is tested under Wine, "/a/b" is "Z:\a\b"
// (Wine's drive Z: is the root), and a path that already names a drive keeps it.
std::string NativePath(const std::string& buildPath);

// The platform's folder separator.
extern const char kSeparator;
// The packages' file name suffix: ".so", or ".bpl" on Windows.
extern const char* const kPackageSuffix;

// The folders a program takes from the environment for the user's data and settings, set to
// fixed places in a golden run: `environment` sets them, and each (as printed, as golden files
// write it) pair of `written` says how outputs name them.
struct UserFolders {
  Environment environment;
  std::vector<std::pair<std::string, std::string>> written;
};
UserFolders FixedUserFolders();

}  // namespace zeb::test
