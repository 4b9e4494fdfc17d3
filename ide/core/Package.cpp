#include "ide/core/Package.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "api/PackageInfo.h"
#include "ide/core/Join.h"

namespace zebide {

namespace {
std::string Version(const std::uint16_t (&v)[4]) {
  return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." +
         std::to_string(v[3]);
}

std::string Text(const char* s) {
  return s == nullptr ? std::string() : std::string(s);
}

std::vector<std::string> Texts(const char* const* list, std::uint32_t count) {
  std::vector<std::string> out;
  if (list == nullptr) return out;
  for (std::uint32_t i = 0; i < count; ++i)
    out.push_back(Text(list[i]));
  return out;
}
}  // namespace

Package::~Package() {
  Close();
}

std::unique_ptr<Package> Package::Open(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0)
    throw EPackageError(errno == ENOENT ? "no such file" : std::strerror(errno));
  if (!S_ISREG(st.st_mode)) throw EPackageError("not a file");
  // A path without a slash would be searched for on the library path instead.
  std::error_code ec;
  const std::string absolute = std::filesystem::absolute(path, ec).string();
  ::dlerror();
  void* handle = ::dlopen(ec ? path.c_str() : absolute.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr)
    throw EPackageError("not a loadable shared library (" + Text(::dlerror()) + ")");
  std::unique_ptr<Package> package(new Package(path, handle));

  // The library's load base: that of its own dynamic section, which lies inside it.
  link_map* map = nullptr;
  Dl_info where{};
  if (::dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr &&
      ::dladdr(map->l_ld, &where) != 0)
    package->base_ = where.dli_fbase;

  auto* info = reinterpret_cast<ZebPackageInfoProc>(::dlsym(handle, kPackageInfoSymbol));
  if (info == nullptr)
    throw EPackageError(std::string("not a package: it has no ") + kPackageInfoSymbol);
  const ZebPackageInfo* record = info();
  if (record == nullptr || record->structSize < sizeof(ZebPackageInfo) || record->name == nullptr ||
      record->name[0] == '\0')
    throw EPackageError("not a package: its package information is missing or malformed");
  PackageIdentity& id = package->identity_;
  id.name = record->name;
  id.description = Text(record->description);
  id.designOnly = record->designOnly;
  id.requiredPackages = Texts(record->requiredPackages, record->requiredPackageCount);
  id.containedUnits = Texts(record->containedUnits, record->containedUnitCount);
  id.fileVersion = Version(record->version.fileVersion);
  id.productVersion = Version(record->version.productVersion);
  id.languageId = record->version.languageId;
  id.codePage = record->version.codePage;
  return package;
}

std::vector<IdentityRow> Package::IdentityRows() const {
  char language[40];
  std::snprintf(language, sizeof language, "0x%04X, code page %u",
                static_cast<unsigned>(identity_.languageId),
                static_cast<unsigned>(identity_.codePage));
  return {
      {"File", path_},
      {"Design-only", identity_.designOnly ? "yes" : "no"},
      {"File version", identity_.fileVersion},
      {"Product version", identity_.productVersion},
      {"Language", language},
      {"Requires", Join(identity_.requiredPackages, ", ")},
      {"Contains", Join(identity_.containedUnits, ", ")},
  };
}

bool Package::Contains(const void* address) const noexcept {
  if (handle_ == nullptr || address == nullptr) return false;
  Dl_info where{};
  return base_ != nullptr && ::dladdr(address, &where) != 0 && where.dli_fbase == base_;
}

bool Package::Implements(const void* object) const noexcept {
  if (object == nullptr) return false;
  // A polymorphic object starts with its virtual table pointer.
  const void* table = nullptr;
  std::memcpy(&table, object, sizeof table);
  return Contains(table);
}

Package::EntryPoint Package::Entry(const char* name) const {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<EntryPoint>(::dlsym(handle_, name));
}

void Package::Close() noexcept {
  if (handle_ == nullptr) return;
  ::dlclose(handle_);
  handle_ = nullptr;
  base_ = nullptr;
}

}  // namespace zebide
