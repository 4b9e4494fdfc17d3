#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#include "ide/core/Package.h"
#include "ide/core/PackageLibrary.h"

namespace zeb {

namespace {
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
}  // namespace

PackageLibrary::~PackageLibrary() {
  Close();
}

std::unique_ptr<PackageLibrary> PackageLibrary::Open(const std::string& path) {
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

  // The library's load base: that of its own dynamic section, which lies inside it.
  const void* base = nullptr;
  link_map* map = nullptr;
  Dl_info where{};
  if (::dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr &&
      ::dladdr(map->l_ld, &where) != 0)
    base = where.dli_fbase;
  return std::unique_ptr<PackageLibrary>(new PackageLibrary(handle, base));
}

std::string_view PackageLibrary::FileSuffix() {
  return ".so";
}

bool PackageLibrary::IsPackageFileName(std::string_view name) {
  return !name.starts_with('.') && name.ends_with(FileSuffix());
}

PackageLibrary::Proc PackageLibrary::Symbol(const char* name) const {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<Proc>(::dlsym(handle_, name));
}

bool PackageLibrary::Contains(const void* address) const noexcept {
  if (handle_ == nullptr || address == nullptr) return false;
  Dl_info where{};
  return base_ != nullptr && ::dladdr(address, &where) != 0 && where.dli_fbase == base_;
}

void PackageLibrary::Close() noexcept {
  if (handle_ == nullptr) return;
  ::dlclose(handle_);
  handle_ = nullptr;
  base_ = nullptr;
}

}  // namespace zeb
