// IdeEnvironment: what the IDE says about itself to add-ins (its general services).
//
// Directories end with '/'. The user's data and settings follow the XDG base directories:
// $XDG_DATA_HOME (by default ~/.local/share) and $XDG_CONFIG_HOME (by default ~/.config), each
// with a "zeb-ide" folder. The settings folder stands where the IDE's registry key would.
//
// Packages are searched for in two folders: the system one, lib/zeb-ide/packages/ in the
// installation (the build tree has the same layout, so a program finds its packages there as it
// does when installed), and the user's own, packages/ in the user's data folder.
#pragma once

#include <string>

namespace zebide {

struct IdeEnvironment {
  std::string productIdentifier = "ZebIDE";
  std::string rootDirectory;            // the installation: the folder above bin/
  std::string binDirectory;             // the folder of the IDE's programs
  std::string localAppDataDirectory;    // $XDG_DATA_HOME/zeb-ide/
  std::string templateDirectory;        // $XDG_DATA_HOME/zeb-ide/templates/
  std::string registryKey;              // $XDG_CONFIG_HOME/zeb-ide/
  std::string systemPackagesDirectory;  // ROOT/lib/zeb-ide/packages/
  std::string userPackagesDirectory;    // $XDG_DATA_HOME/zeb-ide/packages/

  // The environment of an IDE whose programs are in `binDirectory`, read from the process's
  // environment variables.
  static IdeEnvironment FromSystem(const std::string& binDirectory);
  // The folder of the running program, from /proc/self/exe.
  static std::string ExecutableDirectory();
};

}  // namespace zebide
