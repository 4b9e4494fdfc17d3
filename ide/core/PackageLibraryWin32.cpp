#include <windows.h>

#include <cstring>
#include <optional>

#include "ide/core/Package.h"
#include "ide/core/PackageLibrary.h"
#include "ide/text/Win32Interop.h"

namespace zeb {

namespace {
using win32::ErrorText;
using win32::HandleGuard;
using win32::WidePath;

// Reads `size` bytes at `offset`; false when the file holds fewer.
bool ReadAt(HANDLE file, std::uint64_t offset, void* into, DWORD size) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  return ::ReadFile(file, into, size, &got, &at) && got == size;
}

// Why the file is no DLL this process can load, or is cut short, or nothing when its headers
// and every section's bytes are within it. The loader reads each section from the file; one cut
// short is refused here rather than loaded with whatever the loader makes of the missing bytes.
std::optional<std::string> Defect(HANDLE file, std::uint64_t fileSize) {
  auto past = [&](const std::string& what, std::uint64_t end) -> std::optional<std::string> {
    if (end <= fileSize) return std::nullopt;
    return "truncated: " + what + " ends at byte " + std::to_string(end) +
           ", past the file's end at byte " + std::to_string(fileSize);
  };
  IMAGE_DOS_HEADER dos{};
  if (fileSize < 2 || !ReadAt(file, 0, &dos, 2) || dos.e_magic != IMAGE_DOS_SIGNATURE)
    return "not a DLL: it has no DOS header";
  if (auto cut = past("the DOS header", sizeof dos)) return cut;
  ReadAt(file, 0, &dos, sizeof dos);
  const auto peAt = static_cast<std::uint64_t>(static_cast<std::uint32_t>(dos.e_lfanew));
  DWORD signature = 0;
  IMAGE_FILE_HEADER header{};
  const std::uint64_t headerEnd = peAt + sizeof signature + sizeof header;
  if (auto cut = past("the PE header", headerEnd)) return cut;
  ReadAt(file, peAt, &signature, sizeof signature);
  if (signature != IMAGE_NT_SIGNATURE) return "not a DLL: it has no PE signature";
  ReadAt(file, peAt + sizeof signature, &header, sizeof header);
  const WORD machine = sizeof(void*) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;
  if (header.Machine != machine) {
    char text[64];
    std::snprintf(text, sizeof text, "not a DLL for this machine (machine 0x%04X)",
                  static_cast<unsigned>(header.Machine));
    return text;
  }
  if ((header.Characteristics & IMAGE_FILE_DLL) == 0) return "not a DLL: it is a program";
  const std::uint64_t sectionsAt = headerEnd + header.SizeOfOptionalHeader;
  if (auto cut = past("the optional header", sectionsAt)) return cut;
  const std::uint64_t sectionsEnd =
      sectionsAt + std::uint64_t{header.NumberOfSections} * sizeof(IMAGE_SECTION_HEADER);
  if (auto cut = past("the section table", sectionsEnd)) return cut;
  for (WORD i = 0; i < header.NumberOfSections; ++i) {
    IMAGE_SECTION_HEADER section{};
    ReadAt(file, sectionsAt + i * sizeof section, &section, sizeof section);
    char name[IMAGE_SIZEOF_SHORT_NAME + 1] = {};
    std::memcpy(name, section.Name, IMAGE_SIZEOF_SHORT_NAME);
    const std::uint64_t end = std::uint64_t{section.PointerToRawData} + section.SizeOfRawData;
    if (section.SizeOfRawData == 0) continue;
    if (auto cut = past("section " + std::to_string(i) + " (" + name + ")", end)) return cut;
  }
  return std::nullopt;
}

// What LoadLibrary's failures mean for a package.
std::string LoadFailure(DWORD error) {
  switch (error) {
    case ERROR_MOD_NOT_FOUND:
      return "a DLL it needs cannot be found";
    case ERROR_PROC_NOT_FOUND:
      return "a function it imports cannot be found";
    case ERROR_DLL_INIT_FAILED:
      return "its initialization failed";
    case ERROR_BAD_EXE_FORMAT:
      return "not a valid DLL for this system";
    default:
      return ErrorText(error);
  }
}
}  // namespace

PackageLibrary::~PackageLibrary() {
  Close();
}

std::unique_ptr<PackageLibrary> PackageLibrary::Open(const std::string& path) {
  const std::wstring wide = WidePath(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    throw EPackageError(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                            ? "no such file"
                            : ErrorText(error));
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) throw EPackageError("not a file");
  {
    const HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw EPackageError(ErrorText(::GetLastError()));
    HandleGuard guard(file);
    LARGE_INTEGER size{};
    if (::GetFileType(file) != FILE_TYPE_DISK) throw EPackageError("not a file");
    if (!::GetFileSizeEx(file, &size)) throw EPackageError(ErrorText(::GetLastError()));
    if (const auto defect = Defect(file, static_cast<std::uint64_t>(size.QuadPart)))
      throw EPackageError("not a loadable shared library (" + *defect + ")");
  }
  // A name without a folder would be searched for along the DLL search path instead. What the
  // package imports is looked for beside it, then beside the program, then in the system's
  // folders (not in the current folder, nor along PATH).
  std::wstring full(MAX_PATH, L'\0');
  DWORD length =
      ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length >= full.size()) {
    full.resize(length);
    length = ::GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
  }
  full.resize(length);
  // No dialog box for a DLL that is missing: the failure is reported as the package's.
  DWORD oldMode = 0;
  ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
  const HMODULE module =
      ::LoadLibraryExW(length == 0 ? wide.c_str() : full.c_str(), nullptr,
                       LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  const DWORD error = ::GetLastError();
  ::SetThreadErrorMode(oldMode, nullptr);
  if (module == nullptr)
    throw EPackageError("not a loadable shared library (" + LoadFailure(error) + ")");
  return std::unique_ptr<PackageLibrary>(new PackageLibrary(module, module));
}

std::string_view PackageLibrary::FileSuffix() {
  return ".bpl";
}

bool PackageLibrary::IsPackageFileName(std::string_view name) {
  // Windows names are alike whatever the case of their letters: "X.BPL" is a package file too.
  const std::string_view suffix = FileSuffix();
  if (name.starts_with('.') || name.size() < suffix.size()) return false;
  const std::string_view end = name.substr(name.size() - suffix.size());
  for (std::size_t i = 0; i < suffix.size(); ++i)
    if ((end[i] | 0x20) != suffix[i]) return false;
  return true;
}

PackageLibrary::Proc PackageLibrary::Symbol(const char* name) const {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<Proc>(::GetProcAddress(static_cast<HMODULE>(handle_), name));
}

bool PackageLibrary::Contains(const void* address) const noexcept {
  if (handle_ == nullptr || address == nullptr) return false;
  HMODULE module = nullptr;
  return ::GetModuleHandleExW(
             GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
             static_cast<LPCWSTR>(address), &module) &&
         module == base_;
}

void PackageLibrary::Close() noexcept {
  if (handle_ == nullptr) return;
  ::FreeLibrary(static_cast<HMODULE>(handle_));
  handle_ = nullptr;
  base_ = nullptr;
}

}  // namespace zeb
