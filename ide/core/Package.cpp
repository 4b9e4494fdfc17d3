#include "ide/core/Package.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "api/PackageInfo.h"
#include "ide/core/Join.h"
#include "ide/core/PackageAbi.h"
#include "ide/core/PackageLibrary.h"

namespace zeb {

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

Package::Package(std::string path, std::string foundIn, std::unique_ptr<PackageLibrary> library)
    : path_(std::move(path)), foundIn_(std::move(foundIn)), library_(std::move(library)) {}

std::unique_ptr<Package> Package::Open(const std::string& path, std::string foundIn) {
  std::unique_ptr<PackageLibrary> library = PackageLibrary::Open(path);
  std::unique_ptr<Package> package(new Package(path, std::move(foundIn), std::move(library)));

  auto* info = reinterpret_cast<ZebPackageInfoProc>(package->library_->Symbol(kPackageInfoSymbol));
  if (info == nullptr)
    throw EPackageError(std::string("not a package: it has no ") + kPackageInfoSymbol);
  const ZebPackageInfo* record = info();
  // Packages built before the record had its interface version end at that field.
  constexpr std::size_t kFirstRecordSize = offsetof(ZebPackageInfo, interfaceVersion);
  if (record == nullptr || record->structSize < kFirstRecordSize || record->name == nullptr ||
      record->name[0] == '\0')
    throw EPackageError("not a package: its package information is missing or malformed");
  const bool hasVersion = record->structSize >= offsetof(ZebPackageInfo, stdlibTag);
  const bool hasTag = record->structSize >= sizeof(ZebPackageInfo);
  const std::uint32_t interfaceVersion = hasVersion ? record->interfaceVersion : 1;
  const char* const stdlibTag = hasTag ? record->stdlibTag : nullptr;
  if (const auto refusal = PackageAbiRefusal(interfaceVersion, stdlibTag))
    throw EPackageError(*refusal);
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
  id.interfaceVersion = interfaceVersion;
  id.stdlibTag = stdlibTag;
  return package;
}

std::vector<IdentityRow> Package::IdentityRows() const {
  char language[40];
  std::snprintf(language, sizeof language, "0x%04X, code page %u",
                static_cast<unsigned>(identity_.languageId),
                static_cast<unsigned>(identity_.codePage));
  return {
      {"Found in", foundIn_},
      {"File", path_},
      {"Design-only", identity_.designOnly ? "yes" : "no"},
      {"File version", identity_.fileVersion},
      {"Product version", identity_.productVersion},
      {"Language", language},
      {"Interface version", std::to_string(identity_.interfaceVersion)},
      {"C++ library", identity_.stdlibTag},
      {"Requires", Join(identity_.requiredPackages, ", ")},
      {"Contains", Join(identity_.containedUnits, ", ")},
  };
}

bool Package::Contains(const void* address) const noexcept {
  return library_->Contains(address);
}

bool Package::Implements(const void* object) const noexcept {
  if (object == nullptr) return false;
  // A polymorphic object starts with its virtual table pointer.
  const void* table = nullptr;
  std::memcpy(&table, object, sizeof table);
  return Contains(table);
}

Package::EntryPoint Package::Entry(const char* name) const {
  return library_->Symbol(name);
}

void Package::Close() noexcept {
  library_->Close();
}

}  // namespace zeb
