#include "ide/app/CommandLine.h"

#include <cstdio>

#include "ide/core/IdeEnvironment.h"
#include "ide/core/PackageLibrary.h"

namespace zeb {

CommandLine::CommandLine(std::string program, const std::string& version,
                         const std::string& description, const std::string& filesHelp)
    : program_(std::move(program)), app_(description, program_) {
  app_.set_version_flag("--version", program_ + " " + version, "Print the version and stop");
  auto* package = app_.add_option("--package", packages_,
                                  "Load this package (may be repeated) instead of the packages "
                                  "folders' ones")
                      ->type_name("FILE")
                      ->allow_extra_args(false);  // one FILE each time; the rest are FILEs
  app_.add_flag("--no-package", noPackage_, "Load no package")->excludes(package);
  app_.add_option("FILE", files_, filesHelp)->type_name("");
}

std::string CommandLine::PackagesHelp() const {
  return "Loads every package (*" + std::string(PackageLibrary::FileSuffix()) +
         ") in the packages folders: first the system one,\n"
         "lib/zeb-ide/packages/ in the installation " +
         program_ + " runs from, then the user's,\n" + IdeEnvironment::UserPackagesFolderName() +
         "; with --package, only the FILEs named. A package that\n"
         "cannot be loaded is reported and skipped.";
}

std::optional<int> CommandLine::Parse(const std::vector<std::string>& args, CheckedOutput& out) {
  std::vector<const char*> argv;
  for (const std::string& arg : args)
    argv.push_back(arg.c_str());
  std::string printed;
  try {
    app_.parse(static_cast<int>(argv.size()), argv.data());
    return std::nullopt;
  } catch (const CLI::CallForHelp&) {
    printed = app_.help();
  } catch (const CLI::CallForVersion& e) {
    printed = std::string(e.what()) + "\n";
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "%s: %s (see %s --help)\n", program_.c_str(), e.what(), program_.c_str());
    return 2;
  }
  out.Write(printed);
  out.Flush();
  if (!out.Failed()) return 0;
  std::fprintf(stderr, "%s: %s\n", program_.c_str(), out.Reason().c_str());
  return 1;
}

}  // namespace zeb
