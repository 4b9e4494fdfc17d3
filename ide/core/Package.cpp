#include "ide/core/Package.h"

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
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

// Whatever of a library file would lie past its end once mapped, or nothing when the file is
// whole. The loader maps each loadable segment from the file; a page it maps past the file's end
// kills the process (SIGBUS) when touched, so a half-copied library must be refused before it
// gets there. A file that is no ELF file of this machine's class is left to the loader to refuse.
std::optional<std::string> Truncation(int fd, std::uint64_t fileSize) {
  auto past = [&](const std::string& what, std::uint64_t end) {
    return "truncated: " + what + " ends at byte " + std::to_string(end) +
           ", past the file's end at byte " + std::to_string(fileSize);
  };
  ElfW(Ehdr) header{};
  const ssize_t got = ::pread(fd, &header, sizeof header, 0);
  if (got < SELFMAG || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0) return std::nullopt;
  if (static_cast<std::size_t>(got) < sizeof header) return past("the ELF header", sizeof header);
  if (header.e_ident[EI_CLASS] != (sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32) ||
      header.e_phentsize != sizeof(ElfW(Phdr)))
    return std::nullopt;
  const std::uint64_t tableEnd =
      std::uint64_t{header.e_phoff} + std::uint64_t{header.e_phnum} * sizeof(ElfW(Phdr));
  if (header.e_phoff > fileSize || tableEnd > fileSize)
    return past("the program header table", tableEnd);
  for (std::uint16_t i = 0; i < header.e_phnum; ++i) {
    ElfW(Phdr) segment{};
    const off_t at = static_cast<off_t>(header.e_phoff + i * sizeof segment);
    if (::pread(fd, &segment, sizeof segment, at) != static_cast<ssize_t>(sizeof segment))
      return past("the program header table", tableEnd);
    if (segment.p_type != PT_LOAD) continue;
    const std::uint64_t end = std::uint64_t{segment.p_offset} + segment.p_filesz;
    if (segment.p_offset > fileSize || end > fileSize)
      return past("loadable segment " + std::to_string(i), end);
  }
  return std::nullopt;
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

std::unique_ptr<Package> Package::Open(const std::string& path, std::string foundIn) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0)
    throw EPackageError(errno == ENOENT ? "no such file" : std::strerror(errno));
  if (!S_ISREG(st.st_mode)) throw EPackageError("not a file");
  {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw EPackageError(std::strerror(errno));
    const auto truncation = Truncation(fd, static_cast<std::uint64_t>(st.st_size));
    ::close(fd);
    if (truncation) throw EPackageError("not a loadable shared library (" + *truncation + ")");
  }
  // A path without a slash would be searched for on the library path instead.
  std::error_code ec;
  const std::string absolute = std::filesystem::absolute(path, ec).string();
  ::dlerror();
  void* handle = ::dlopen(ec ? path.c_str() : absolute.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr)
    throw EPackageError("not a loadable shared library (" + Text(::dlerror()) + ")");
  std::unique_ptr<Package> package(new Package(path, std::move(foundIn), handle));

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
      {"Found in", foundIn_},
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
