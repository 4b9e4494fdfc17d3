// FileStore: whole-file reads and writes for documents.
//
// Write never leaves a half-written file behind: it writes a temporary file in the target's
// folder, flushes it to the disk, renames it over the target and flushes the folder, so that
// the new file keeps the name after a crash. The target keeps its mode (a new file gets 0666
// less the umask); a symbolic link is followed, so the file it names is replaced (or made, when
// the link dangles) and the link stays. On failure the target is untouched and EInOutError says
// why.
#pragma once

#include <string>
#include <string_view>

namespace zebide {

class FileStore {
 public:
  // The whole file, as bytes. Raises EInOutError naming the path and the reason.
  static std::string Read(const std::string& path);
  // Replaces the file's content with `bytes` as described above.
  static void Write(const std::string& path, std::string_view bytes);
};

}  // namespace zebide
