#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <random>

#include "ide/text/FileStore.h"
#include "ide/text/FileStoreShared.h"
#include "ide/text/Win32Interop.h"
#include "runtime/Exceptions.h"

namespace zeb {

namespace {
using filestore::TemporaryOwner;
using filestore::TemporaryPrefix;
using win32::ErrorText;
using win32::HandleGuard;
using win32::Narrow;
using win32::WidePath;

[[noreturn]] void Fail(const std::string& what, const std::string& path, DWORD error) {
  filestore::Fail(what, path, ErrorText(error));
}

// The attributes SetFileAttributesW can give back to a replaced file.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Whether the process `pid` may still be writing its temporary file: it runs, or it cannot be
// asked (another user's), which counts as running.
bool MayRun(DWORD pid) {
  const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr) return ::GetLastError() != ERROR_INVALID_PARAMETER;
  HandleGuard guard(process);
  DWORD code = 0;
  return !::GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
}

// Removes the temporary files `prefix`PID.* in `folder` that this process or a process that no
// longer runs left behind.
void RemoveLeftovers(const std::string& folder, const std::string& prefix) {
  WIN32_FIND_DATAW entry{};
  const HANDLE find = ::FindFirstFileW(WidePath(folder + prefix + "*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return;
  const DWORD self = ::GetCurrentProcessId();
  do {
    const std::string name = Narrow(entry.cFileName);
    const std::uint64_t owner = TemporaryOwner(name, prefix);
    if (owner == 0 || owner > MAXDWORD) continue;
    const auto pid = static_cast<DWORD>(owner);
    if (pid != self && MayRun(pid)) continue;
    ::DeleteFileW(WidePath(folder + name).c_str());
  } while (::FindNextFileW(find, &entry));
  ::FindClose(find);
}

FileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info) {
  FileIdentity identity;
  identity.exists = true;
  identity.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  identity.written =
      static_cast<std::int64_t>((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                                info.ftLastWriteTime.dwLowDateTime);
  identity.device = info.dwVolumeSerialNumber;
  identity.file = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return identity;
}

// A relative path in its full form, any other as it is: ReplaceFileW fails on relative ones
// (under Wine with ERROR_DIRECTORY).
std::wstring FullPath(const std::wstring& path) {
  const bool relative =
      !(path.size() >= 2 && path[1] == L':') && !path.starts_with(L"\\") && !path.starts_with(L"/");
  if (!relative) return path;
  const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  const DWORD got = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  if (got == 0 || got >= size) return path;
  full.resize(got);
  return full;
}

// Makes the temporary file "`base`.XXXXXX" (six random letters and digits) that no one else has.
HANDLE CreateTemporary(const std::string& base, std::string& name) {
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device device;
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
  for (int attempt = 0;; ++attempt) {
    name = base + ".";
    for (int i = 0; i < 6; ++i)
      name += kLetters[pick(device)];
    const HANDLE file = ::CreateFileW(WidePath(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || attempt == 100) return file;
    if (const DWORD error = ::GetLastError(); error != ERROR_FILE_EXISTS) {
      ::SetLastError(error);
      return file;
    }
  }
}
}  // namespace

ByteBlock FileStore::Read(const std::string& path, std::size_t room, FileIdentity* identity) {
  // Backup semantics open a folder too, so that it can be told apart; sharing everything lets
  // another program keep the file open, as Linux would.
  const HANDLE file = ::CreateFileW(WidePath(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail("cannot open", path, ::GetLastError());
  HandleGuard guard(file);
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(file) != FILE_TYPE_DISK)
    throw EInOutError("cannot open " + path + ": not a regular file");
  if (!::GetFileInformationByHandle(file, &info)) Fail("cannot read", path, ::GetLastError());
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    filestore::Fail("cannot open", path, "Is a directory");
  if (identity != nullptr) *identity = IdentityOf(info);
  const std::uint64_t size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  if (size > SIZE_MAX / 2) Fail("cannot read", path, ERROR_NOT_ENOUGH_MEMORY);
  ByteBlock bytes;
  bytes.Reserve(std::max<std::size_t>(static_cast<std::size_t>(size), 1 << 12) + room + 1);
  // Read to the end, not to the size told: the file may grow meanwhile.
  while (true) {
    if (bytes.Capacity() - bytes.Size() <= room) bytes.Reserve(bytes.Capacity() * 2);
    const std::size_t at = bytes.Size();
    const std::size_t want = std::min<std::size_t>(bytes.Capacity() - at - room, 1u << 30);
    bytes.Resize(at + want);
    DWORD got = 0;
    const BOOL ok = ::ReadFile(file, bytes.Data() + at, static_cast<DWORD>(want), &got, nullptr);
    bytes.Resize(at + got);
    if (!ok) Fail("cannot read", path, ::GetLastError());
    if (got == 0) break;
  }
  return bytes;
}

FileIdentity FileStore::Identify(const std::string& path) {
  // No access asked for: the file's information is readable even while another program holds
  // the file open without sharing.
  const HANDLE file = ::CreateFileW(WidePath(path).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  HandleGuard guard(file);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file, &info)) return {};
  return IdentityOf(info);
}

FileIdentity FileStore::Write(const std::string& path, std::string_view bytes) {
  const std::size_t slash = path.find_last_of("/\\:");
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);

  const DWORD attributes = ::GetFileAttributesW(WidePath(path).c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    filestore::Fail("cannot save", path, "Is a directory");

  const std::string prefix = TemporaryPrefix(name);
  RemoveLeftovers(folder, prefix);
  std::string tempName;
  const HANDLE file =
      CreateTemporary(folder + prefix + std::to_string(::GetCurrentProcessId()), tempName);
  if (file == INVALID_HANDLE_VALUE) Fail("cannot save", path, ::GetLastError());
  HandleGuard guard(file);
  const std::wstring temp = FullPath(WidePath(tempName));
  auto failAndClean = [&](DWORD error) {
    guard.Close();
    ::DeleteFileW(temp.c_str());
    Fail("cannot save", path, error);
  };

  std::size_t written = 0;
  while (written < bytes.size()) {
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - written, 1u << 30));
    DWORD n = 0;
    if (!::WriteFile(file, bytes.data() + written, chunk, &n, nullptr))
      failAndClean(::GetLastError());
    written += n;
  }
  if (!::FlushFileBuffers(file)) failAndClean(::GetLastError());
  if (const DWORD error = guard.Close(); error != 0) failAndClean(error);

  const std::wstring target = FullPath(WidePath(path));
  if (!exists) {
    if (!::MoveFileExW(temp.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      failAndClean(::GetLastError());
    return Identify(path);
  }
  // A read-only file cannot be replaced: it loses the attribute for the moment and gets it back
  // with the others, whether the replacement worked or not.
  if ((attributes & FILE_ATTRIBUTE_READONLY) &&
      !::SetFileAttributesW(target.c_str(),
                            attributes & kKeptAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY}))
    failAndClean(::GetLastError());
  if (!::ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                      nullptr, nullptr)) {
    const DWORD error = ::GetLastError();
    // The target gone since it was looked at, or gone (or moved aside) by a replacement that then
    // could not put the new file in its place: the new file takes the name as a new file would.
    // Should that fail too, the new content is only in the temporary file, which must stay.
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
        error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
      if (::MoveFileExW(temp.c_str(), target.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return Identify(path);
      if (error != ERROR_FILE_NOT_FOUND)
        filestore::Fail("cannot save", path,
                        ErrorText(::GetLastError()) + "; the new content is in " + tempName);
    }
    ::SetFileAttributesW(target.c_str(), attributes & kKeptAttributes);
    failAndClean(error);
  }
  // The replacement takes the replaced file's attributes; set them once more for the file
  // systems (and emulations) that do not.
  ::SetFileAttributesW(target.c_str(), (attributes & kKeptAttributes) != 0
                                           ? attributes & kKeptAttributes
                                           : DWORD{FILE_ATTRIBUTE_NORMAL});
  // Windows keeps no identity through the replacement: the file is asked once it is in place.
  return Identify(path);
}

}  // namespace zeb
