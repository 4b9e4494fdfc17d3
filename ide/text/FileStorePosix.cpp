#include "ide/text/FileStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "ide/text/FileStoreShared.h"
#include "runtime/Exceptions.h"

namespace zeb {

namespace {
using filestore::TemporaryOwner;
using filestore::TemporaryPrefix;

[[noreturn]] void Fail(const std::string& what, const std::string& path, int error) {
  filestore::Fail(what, path, std::strerror(error));
}

// Removes the temporary files `prefix`PID.* in `folder` that this process or a process that no
// longer runs left behind.
void RemoveLeftovers(const std::string& folder, const std::string& prefix) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  const pid_t self = ::getpid();
  while (const dirent* entry = ::readdir(dir)) {
    const std::uint64_t owner = TemporaryOwner(entry->d_name, prefix);
    if (owner == 0 || owner > static_cast<std::uint64_t>(std::numeric_limits<pid_t>::max()))
      continue;
    const auto pid = static_cast<pid_t>(owner);
    if (pid != self && !(::kill(pid, 0) != 0 && errno == ESRCH)) continue;
    ::unlinkat(::dirfd(dir), entry->d_name, 0);
  }
  ::closedir(dir);
}

// Closes a descriptor when it goes out of scope, unless released.
class FdGuard {
 public:
  explicit FdGuard(int fd) : fd_(fd) {}
  FdGuard(const FdGuard&) = delete;
  FdGuard& operator=(const FdGuard&) = delete;
  ~FdGuard() {
    if (fd_ >= 0) ::close(fd_);
  }
  int Release() noexcept {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

// The file that writing `path` replaces: where its chain of symbolic links ends, whether that
// file exists yet or not; `path` itself when it is no link. Raises for a loop of links.
std::string ResolveTarget(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::vector<char> buffer(PATH_MAX);
    const ssize_t n = ::readlink(current.c_str(), buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) == buffer.size()) return current;
    std::string next(buffer.data(), static_cast<std::size_t>(n));
    const std::size_t slash = current.rfind('/');
    if (next.front() != '/' && slash != std::string::npos)
      next = current.substr(0, slash + 1) + next;  // relative to the link's folder
    current = std::move(next);
  }
  Fail("cannot save", path, ELOOP);
}

FileIdentity IdentityOf(const struct stat& st) {
  FileIdentity identity;
  identity.exists = true;
  identity.size = static_cast<std::uint64_t>(st.st_size);
  identity.written = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 +
                     static_cast<std::int64_t>(st.st_mtim.tv_nsec);
  identity.device = static_cast<std::uint64_t>(st.st_dev);
  identity.file = static_cast<std::uint64_t>(st.st_ino);
  return identity;
}

// Makes a rename in `folder` durable. Some file systems cannot sync a folder; the file itself
// is already on the disk then, so that is no reason to call the save failed.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}
}  // namespace

ByteBlock FileStore::Read(const std::string& path, std::size_t room, FileIdentity* identity) {
  // Not blocking: opening a FIFO would otherwise wait for a writer. The flag changes nothing
  // for the regular files that are read.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) Fail("cannot open", path, errno);
  FdGuard guard(fd);
  struct stat st {};
  if (::fstat(fd, &st) != 0) Fail("cannot read", path, errno);
  if (S_ISDIR(st.st_mode)) Fail("cannot open", path, EISDIR);
  if (!S_ISREG(st.st_mode)) throw EInOutError("cannot open " + path + ": not a regular file");
  if (identity != nullptr) *identity = IdentityOf(st);
  ByteBlock bytes;
  // Files that tell no size (those of /proc) are read in growing steps.
  const auto expected = static_cast<std::size_t>(st.st_size);
  bytes.Reserve(std::max<std::size_t>(expected, 1 << 12) + room + 1);
  while (true) {
    if (bytes.Capacity() - bytes.Size() <= room) bytes.Reserve(bytes.Capacity() * 2);
    const std::size_t size = bytes.Size();
    const std::size_t want = bytes.Capacity() - size - room;
    bytes.Resize(size + want);
    const ssize_t n = ::read(fd, bytes.Data() + size, want);
    bytes.Resize(size + (n > 0 ? static_cast<std::size_t>(n) : 0));
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail("cannot read", path, errno);
    }
    if (n == 0) break;
  }
  return bytes;
}

FileIdentity FileStore::Identify(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  return IdentityOf(st);
}

FileIdentity FileStore::Write(const std::string& path, std::string_view bytes) {
  const std::string target = ResolveTarget(path);
  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);

  mode_t mode = 0666 & ~CurrentUmask();
  bool haveOwner = false;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) Fail("cannot save", path, EISDIR);
    mode = st.st_mode & 07777;
    haveOwner = true;
  }

  const std::string prefix = TemporaryPrefix(name);
  RemoveLeftovers(folder, prefix);
  std::string tempName = (slash == std::string::npos ? std::string() : folder) + prefix +
                         std::to_string(::getpid()) + ".XXXXXX";
  std::vector<char> tempBuffer(tempName.begin(), tempName.end());
  tempBuffer.push_back('\0');
  const int fd = ::mkstemp(tempBuffer.data());
  if (fd < 0) Fail("cannot save", path, errno);
  tempName.assign(tempBuffer.data());
  FdGuard guard(fd);

  auto failAndClean = [&](int error) {
    ::close(guard.Release());
    ::unlink(tempName.c_str());
    Fail("cannot save", path, error);
  };

  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      failAndClean(errno);
    }
    written += static_cast<std::size_t>(n);
  }
  if (::fchmod(fd, mode) != 0) failAndClean(errno);
  if (haveOwner && (st.st_uid != ::geteuid() || st.st_gid != ::getegid())) {
    // Keeping the owner needs privileges; without them the file becomes the saver's.
    [[maybe_unused]] const int ignored = ::fchown(fd, st.st_uid, st.st_gid);
  }
  if (::fsync(fd) != 0) failAndClean(errno);
  // The file keeps its inode and times through the rename: this is the saved file's identity.
  struct stat saved {};
  if (::fstat(fd, &saved) != 0) failAndClean(errno);
  if (::close(guard.Release()) != 0) {
    const int error = errno;
    ::unlink(tempName.c_str());
    Fail("cannot save", path, error);
  }
  if (::rename(tempName.c_str(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(tempName.c_str());
    Fail("cannot save", path, error);
  }
  // Without this a crash could bring back the old file under the name.
  SyncFolder(folder);
  return IdentityOf(saved);
}

}  // namespace zeb
