// FileStore: whole-file reads and writes for documents. Paths are UTF-8.
//
// Write never leaves a half-written file behind: it writes a temporary file in the target's
// folder, flushes it to the disk and renames it over the target. On Linux it then flushes the
// folder, so that the new file keeps the name after a crash; the target keeps its mode (a new file
// gets 0666 less the umask); a symbolic link is followed, so the file it names is replaced (or
// made, when the link dangles) and the link stays. On Windows the new file replaces the old one
// (ReplaceFileW) keeping its attributes (read-only, hidden, ...); Windows has no flush of a
// folder, so only a new file's rename is written through. On failure the target is untouched and
// EInOutError says why, in the same words on both systems. (On Windows one failure can leave the
// old file gone and the new content only in the temporary file: the message names that file.)
//
// The temporary file is named ".zeb-save.<hash of the target's name>.<process id>.<random>", a
// name of fixed length, so that a target whose name is as long as the system allows can still be
// saved. A save cut short (the process killed) leaves it behind; the next save of the same target
// removes the leftovers of this process and of processes that no longer run, never those of a
// process that may still be writing them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ide/text/ByteBlock.h"

namespace zeb {

// What tells one version of a file from another without reading it: its size, the time it was
// last written and which file on the disk it is (device and inode; on Windows the volume and the
// file index), so that a file written in place and one put in its place by a rename both differ.
// A name with no file behind it has the identity with `exists` false.
struct FileIdentity {
  bool exists = false;
  std::uint64_t size = 0;
  std::int64_t written = 0;  // in the system's units: nanoseconds, or 100 ns on Windows
  std::uint64_t device = 0;
  std::uint64_t file = 0;

  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

class FileStore {
 public:
  // The whole file, as bytes, with room for `room` more. Only a regular file is read (a FIFO
  // or a device could block or never end). Raises EInOutError naming the path and the reason.
  // `identity`, when given, receives the identity of the file read.
  static ByteBlock Read(const std::string& path, std::size_t room = 0,
                        FileIdentity* identity = nullptr);
  // Replaces the file's content with `bytes` as described above; the identity of the file
  // written.
  static FileIdentity Write(const std::string& path, std::string_view bytes);
  // The identity of the file `path` names now (symbolic links followed); a file that cannot be
  // looked at counts as missing.
  static FileIdentity Identify(const std::string& path);
};

}  // namespace zeb
