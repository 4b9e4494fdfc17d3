// IdeEnvironment: what the IDE says about itself to add-ins (its general services).
//
// Directories end with the system's separator ('/', or '\' on Windows). The user's data and
// settings follow the system's conventions, each with a "zeb-ide" folder: on Linux the XDG base
// directories, $XDG_DATA_HOME (by default ~/.local/share) and $XDG_CONFIG_HOME (by default
// ~/.config); on Windows %LOCALAPPDATA% and %APPDATA%. The settings folder stands where the IDE's
// registry key would.
//
// Packages are searched for in two folders: the system one, lib/zeb-ide/packages/ in the
// installation (the build tree has the same layout, so a program finds its packages there as it
// does when installed), and the user's own, packages/ in the user's data folder.
#pragma once

#include <string>

namespace zeb {

struct IdeEnvironment {
  std::string productIdentifier = "ZebIDE";
  std::string rootDirectory;            // the installation: the folder above bin/
  std::string binDirectory;             // the folder of the IDE's programs
  std::string localAppDataDirectory;    // DATA/zeb-ide/
  std::string templateDirectory;        // DATA/zeb-ide/templates/
  std::string registryKey;              // SETTINGS/zeb-ide/
  std::string systemPackagesDirectory;  // ROOT/lib/zeb-ide/packages/
  std::string userPackagesDirectory;    // DATA/zeb-ide/packages/

  // The environment of an IDE whose programs are in `binDirectory` (UTF-8), read from the
  // process's environment variables.
  static IdeEnvironment FromSystem(const std::string& binDirectory);
  // The folder of the running program (UTF-8).
  static std::string ExecutableDirectory();
  // The user's packages folder as help texts name it: "$XDG_DATA_HOME/zeb-ide/packages/".
  static const char* UserPackagesFolderName() noexcept;

 private:
  // The system's part, in IdeEnvironmentPosix.cpp and IdeEnvironmentWin32.cpp.
  struct UserFolders {
    std::string data;      // the user's data folder, with the separator at the end
    std::string settings;  // the user's settings folder, with the separator at the end
  };
  static UserFolders ReadUserFolders();
  static char Separator() noexcept;
};

}  // namespace zeb
