#include "ide/core/PackageLoader.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "api/PackageInfo.h"
#include "ide/core/Join.h"
#include "ide/core/PackageLibrary.h"
#include "ide/text/Utf8Path.h"
#include "runtime/Forms.h"

namespace zeb {

namespace {
// Frees the Application's components whose classes the package's code implements.
void DestroyComponentsOf(const Package& package) {
  // A destructor may free other components too, so look again after each one.
  for (bool found = true; found;) {
    found = false;
    for (std::size_t i = Application->ComponentCount(); i-- > 0;) {
      TComponent* const component = Application->Components(i);
      if (package.Implements(component)) {
        delete component;
        found = true;
        break;
      }
    }
  }
}
}  // namespace

PackageLoader::PackageLoader(std::vector<std::string> providedPackages, AddinBoundary& boundary,
                             KeyBindings& bindings)
    : provided_(std::move(providedPackages)), boundary_(&boundary), bindings_(&bindings) {}

PackageLoader::~PackageLoader() {
  UnloadAll();
}

std::vector<std::string> PackageLoader::FindPackages(const std::string& folder) {
  namespace fs = std::filesystem;
  std::vector<std::string> found;
  std::error_code error;
  const fs::path dir = PathFromUtf8(folder);
  // Some systems' libraries list a file as an empty folder.
  if (fs::exists(dir, error) && !fs::is_directory(dir, error))
    throw EPackageError("Not a directory");
  fs::directory_iterator entries(dir, error);
  if (error == std::errc::no_such_file_or_directory) return found;
  for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
    const fs::path& path = entries->path();
    std::error_code notAFile;
    if (!PackageLibrary::IsPackageFileName(Utf8FromPath(path.filename())) ||
        !fs::is_regular_file(path, notAFile))
      continue;
    found.push_back(Utf8FromPath(path));
  }
  if (error) throw EPackageError(error.message());
  std::sort(found.begin(), found.end());
  return found;
}

const Package& PackageLoader::Load(const std::string& path, std::string foundIn) {
  std::unique_ptr<Package> package = Package::Open(path, std::move(foundIn));
  const PackageIdentity& id = package->Identity();

  for (const auto& loaded : packages_)
    if (loaded->Identity().name == id.name)
      throw EPackageError("a package named " + id.name + " is already loaded from " +
                          loaded->Path());

  std::vector<std::string> missing;
  for (const std::string& required : id.requiredPackages)
    if (std::find(provided_.begin(), provided_.end(), required) == provided_.end())
      missing.push_back(required);
  if (!missing.empty())
    throw EPackageError("it requires " + Join(missing, ", ") + ", which this IDE does not provide");

  const Package::EntryPoint registerProc = package->Entry(kRegisterSymbol);
  if (registerProc == nullptr) throw EPackageError(std::string("it has no ") + kRegisterSymbol);

  if (events_ != nullptr) events_->PackageLoading(*package);
  registering_ = package.get();
  std::optional<Fault> fault;
  const AddinBoundary::Running running(package.get());
  if (const Package::EntryPoint initialize = package->Entry(kInitializeSymbol))
    fault = AddinBoundary::Guard("Initialize", initialize);
  if (!fault) fault = AddinBoundary::Guard("Register", registerProc);
  registering_ = nullptr;
  if (fault) {
    Unload({package.get()}, false);
    throw EPackageError(fault->where + " raised " + fault->className + ": " + fault->message);
  }
  packages_.push_back(std::move(package));
  return *packages_.back();
}

void PackageLoader::UnloadAll() {
  if (packages_.empty()) return;
  std::vector<Package*> lastFirst;
  for (auto it = packages_.rbegin(); it != packages_.rend(); ++it)
    lastFirst.push_back(it->get());
  Unload(lastFirst, true);
  packages_.clear();
}

void PackageLoader::Unload(const std::vector<Package*>& packages, bool everything) {
  for (Package* package : packages) {
    if (const Package::EntryPoint finalize = package->Entry(kFinalizeSymbol)) {
      const AddinBoundary::Running running(package);
      boundary_->Call("Finalize of " + package->Path(), finalize);
    }
    // Whatever the package left bound or created must go before its code does.
    bindings_->RemoveOwnedBy(package);
    DestroyComponentsOf(*package);
    if (events_ != nullptr) events_->PackageUnloading(*package);
  }
  if (everything) Application->DestroyComponents();
  for (Package* package : packages)
    package->Close();
}

const Package* PackageLoader::OwnerOf(const void* binding) const noexcept {
  if (registering_ != nullptr) return registering_;
  for (const auto& package : packages_)
    if (package->Implements(binding)) return package.get();
  return nullptr;
}

}  // namespace zeb
