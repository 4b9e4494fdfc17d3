#include <cxxabi.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "testkit/PackageImage.h"

namespace zeb::test {

namespace {
HMODULE Module(void* handle) {
  return static_cast<HMODULE>(handle);
}

std::string Demangled(const char* name) {
  int status = 0;
  char* text = abi::__cxa_demangle(name, nullptr, nullptr, &status);
  if (status != 0 || text == nullptr) return name;
  std::string demangled(text);
  std::free(text);
  return demangled;
}
}  // namespace

PackageImage::PackageImage(const std::string& path) : path_(path) {
  std::wstring wide(path.size(), L'\0');
  wide.resize(static_cast<std::size_t>(
      MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), wide.data(),
                          static_cast<int>(wide.size()))));
  handle_ = LoadLibraryW(wide.c_str());
  if (handle_ == nullptr)
    error_ = "LoadLibraryW failed with error " + std::to_string(GetLastError());
}

PackageImage::~PackageImage() {
  if (handle_ != nullptr) FreeLibrary(Module(handle_));
}

void* PackageImage::Symbol(const char* name) const {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(Module(handle_), name));
}

// The names of the loaded image's export directory, demangled.
std::set<std::string> PackageImage::Exports() const {
  std::set<std::string> symbols;
  if (handle_ == nullptr) return symbols;
  const auto* base = static_cast<const unsigned char*>(handle_);
  IMAGE_DOS_HEADER dos;
  std::memcpy(&dos, base, sizeof dos);
  IMAGE_NT_HEADERS nt;
  std::memcpy(&nt, base + dos.e_lfanew, sizeof nt);
  const IMAGE_DATA_DIRECTORY& entry = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (entry.VirtualAddress == 0) return symbols;
  IMAGE_EXPORT_DIRECTORY exports;
  std::memcpy(&exports, base + entry.VirtualAddress, sizeof exports);
  for (DWORD i = 0; i < exports.NumberOfNames; ++i) {
    DWORD name = 0;
    std::memcpy(&name, base + exports.AddressOfNames + i * sizeof name, sizeof name);
    symbols.insert(Demangled(reinterpret_cast<const char*>(base + name)));
  }
  return symbols;
}

}  // namespace zeb::test
