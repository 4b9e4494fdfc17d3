// What the system-specific parts of FileStore (FileStorePosix.cpp, FileStoreWin32.cpp) share: the
// names of a save's temporary files and the error a failure raises.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zeb::filestore {

// Raises EInOutError "WHAT PATH: REASON".
[[noreturn]] void Fail(const std::string& what, const std::string& path, const std::string& reason);

// The start of the temporary names for saving a file named `name`: ".zeb-save.HASH." with a
// 64-bit hash of the name. A temporary name goes on with the saving process's id, a dot and a
// random part.
std::string TemporaryPrefix(std::string_view name);

// The process id in the folder entry `entry` when it is a temporary name that starts with `prefix`,
// else 0.
std::uint64_t TemporaryOwner(std::string_view entry, std::string_view prefix);

}  // namespace zeb::filestore
