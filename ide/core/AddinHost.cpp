#include "ide/core/AddinHost.h"

#include <utility>

#include "runtime/Exceptions.h"
#include "runtime/Forms.h"

namespace zeb {

std::vector<std::string> AddinHost::DefaultProvidedPackages() {
  return {"rtl100.bpl",    "vcl100.bpl",         "vclx100.bpl",
          "xmlrtl100.bpl", "vclactnband100.bpl", "designide100.bpl"};
}

AddinHost::AddinHost(IdeObserver& observer, KeyBindingObjects& objects, Options options)
    : observer_(&observer),
      environment_(std::move(options.environment)),
      presenter_(observer),
      boundary_(observer),
      bindings_(boundary_, objects),
      loader_(std::move(options.providedPackages), boundary_, bindings_) {
  Application->SetModalPresenter(&presenter_);
  Application->SetExceptionHandler([this](std::exception_ptr error) {
    const ExceptionDescription d = DescribeException(error);
    observer_->OnFault(Fault{"form", d.className, d.message});
  });
}

AddinHost::~AddinHost() {
  UnloadPackages();
  bindings_.Clear();
  Application->SetExceptionHandler({});
  Application->SetModalPresenter(nullptr);
}

bool AddinHost::LoadPackage(const std::string& path, std::string foundIn) {
  try {
    loader_.Load(path, std::move(foundIn));
    return true;
  } catch (const EPackageError& e) {
    observer_->OnMessage("cannot load package " + path + ": " + e.Message());
    return false;
  }
}

std::vector<AddinHost::PackageFolder> AddinHost::PackageFolders() const {
  return {{"system", environment_.systemPackagesDirectory},
          {"user", environment_.userPackagesDirectory}};
}

std::size_t AddinHost::LoadPackagesFrom(const std::vector<PackageFolder>& folders) {
  std::size_t found = 0;
  for (const PackageFolder& folder : folders) {
    std::vector<std::string> files;
    try {
      files = PackageLoader::FindPackages(folder.path);
    } catch (const EPackageError& e) {
      observer_->OnMessage("cannot read packages folder " + folder.path + ": " + e.Message());
    }
    found += files.size();
    for (const std::string& file : files)
      LoadPackage(file, folder.kind + " packages folder " + folder.path);
  }
  return found;
}

void AddinHost::UnloadPackages() {
  loader_.UnloadAll();
}

std::int32_t AddinHost::AddKeyboardBinding(ComPtr<IOTAKeyboardBinding> binding) {
  // A binding added outside Register (from a key procedure, say) belongs to the package that
  // implements it.
  const Package* owner = loader_.OwnerOf(binding.Get());
  return bindings_.Add(std::move(binding), owner);
}

void AddinHost::RemoveKeyboardBinding(std::int32_t index) {
  bindings_.Remove(index);
}

KeyOutcome AddinHost::RouteKey(TShortCut code) {
  if (events_ == nullptr) return bindings_.Route(code);
  struct Press {
    AddinHostEvents* events;
    explicit Press(AddinHostEvents* e) : events(e) { events->KeyPressBegins(); }
    ~Press() { events->KeyPressEnds(); }
    Press(const Press&) = delete;
    Press& operator=(const Press&) = delete;
  } press(events_);
  return bindings_.Route(code);
}

void AddinHost::SetEvents(AddinHostEvents* events) noexcept {
  events_ = events;
  loader_.SetEvents(events);
}

}  // namespace zeb
