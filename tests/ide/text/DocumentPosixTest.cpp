// Saving and opening as only POSIX systems have them: modes, symbolic links, FIFOs and devices,
// the folder's sync, a file size limit and a killed child process.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <utility>
#include <vector>

#include "ide/core/EditView.h"
#include "ide/text/Document.h"
#include "runtime/Exceptions.h"
#include "testkit/TestSupport.h"

// What this program syncs, in order: saving's durability is otherwise invisible to a test.
namespace zeb::test {
std::vector<std::pair<dev_t, ino_t>> synced;
}

extern "C" int fsync(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) == 0) zeb::test::synced.emplace_back(st.st_dev, st.st_ino);
  return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace zeb {
namespace {

using zeb::test::FilesIn;
using zeb::test::ReadFile;
using zeb::test::TempDir;
using zeb::test::WriteFile;

TEST(Document, SaveKeepsTheModeAndFollowsSymbolicLinks) {
  TempDir dir;
  const std::string target = dir / "real.pas";
  WriteFile(target, "x\n");
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  std::filesystem::create_symlink("real.pas", dir / "link.pas");

  const auto doc = Document::Open(dir / "link.pas");
  EditView view(doc, 8);
  view.InsertText("y");
  EXPECT_TRUE(doc->Modified());
  doc->Save();
  EXPECT_FALSE(doc->Modified());

  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.pas"));
  EXPECT_EQ(ReadFile(target), "yx\n");
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(FilesIn(dir.Path()), 2u);  // no temporary file left
}

// The file's bytes reach the disk before its name replaces the old file's, and the rename is
// made durable too, in the folder that holds the file: a dangling link's target is where the file
// is made, the link stays.
TEST(Document, SaveSyncsTheFileAndThenTheFolderOfTheFileAfterRenaming) {
  TempDir dir;
  std::filesystem::create_directory(dir / "links");
  std::filesystem::create_directory(dir / "files");
  WriteFile(dir / "links/a.pas", "a\n");
  std::filesystem::create_symlink("../files/made.pas", dir / "links/new.pas");
  const auto doc = Document::Open(dir / "links/a.pas");

  const struct {
    std::string saveAs;
    std::string folder;
  } cases[] = {{dir / "links/a.pas", dir / "links"}, {dir / "links/new.pas", dir / "files"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.saveAs);
    zeb::test::synced.clear();
    doc->SaveCopy(c.saveAs);
    struct stat folder {};
    ASSERT_EQ(::stat(c.folder.c_str(), &folder), 0);
    struct stat file {};
    ASSERT_EQ(::stat(c.saveAs.c_str(), &file), 0);  // through the link: the file made
    const auto& synced = zeb::test::synced;
    ASSERT_GE(synced.size(), 2U);
    EXPECT_EQ(synced[synced.size() - 2], std::make_pair(file.st_dev, file.st_ino));
    EXPECT_EQ(synced.back(), std::make_pair(folder.st_dev, folder.st_ino));
  }
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "links/new.pas"));
  EXPECT_EQ(ReadFile(dir / "files/made.pas"), "a\n");
}

TEST(Document, AFailedSaveLeavesTheFileAndSaysWhy) {
  TempDir dir;
  const std::string path = dir / "big.pas";
  WriteFile(path, "old\n");
  const auto doc = Document::Open(path);
  EditView view(doc, 8);
  view.InsertText(std::string(1 << 16, 'x'));

  // A file size limit makes the write fail, for root as well.
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string message;
  try {
    doc->Save();
  } catch (const EInOutError& e) {
    message = e.Message();
  }
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, oldHandler);

  EXPECT_NE(message.find(path), std::string::npos) << message;
  EXPECT_NE(message.find("File too large"), std::string::npos) << message;
  EXPECT_EQ(ReadFile(path), "old\n");
  EXPECT_TRUE(doc->Modified());
  EXPECT_EQ(FilesIn(dir.Path()), 1u);
}

// What is not a regular file is refused before anything is read: a FIFO would block the open
// until a writer came, a device like /dev/zero never ends.
TEST(Document, OpenReadsOnlyRegularFiles) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "fifo.pas").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", dir / "x.pas");
  std::filesystem::create_directory(dir / "folder.pas");
  const struct {
    std::string path;
    const char* reason;
  } cases[] = {{dir / "fifo.pas", "not a regular file"},
               {"/dev/zero", "not a regular file"},
               {dir / "x.pas", "not a regular file"},
               {dir / "folder.pas", "Is a directory"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    try {
      Document::Open(c.path);
      ADD_FAILURE() << "opened";
    } catch (const EInOutError& e) {
      EXPECT_EQ(e.Message(), "cannot open " + c.path + ": " + c.reason);
    }
  }
}

// The temporary file of a save has a short name of its own, so the longest names save; a save
// killed half way leaves its temporary file, which the next save of the target removes, unless
// its process still runs.
TEST(Document, SaveNamesTemporariesShortAndClearsLeftovers) {
  TempDir dir;
  const std::string path = dir / (std::string(251, 'n') + ".pas");
  WriteFile(path, "a\n");
  const auto doc = Document::Open(path);
  EditView view(doc, 8);
  view.InsertText(std::string(1 << 16, 'x'));
  doc->Save();
  EXPECT_EQ(ReadFile(path).size(), (1u << 16) + 2);

  // A child killed by the file size limit in the middle of writing leaves its temporary file.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    struct rlimit small {
      1024, 1024
    };
    ::setrlimit(RLIMIT_FSIZE, &small);
    ::signal(SIGXFSZ, SIG_DFL);
    try {
      doc->Save();
    } catch (...) {
    }
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  std::string leftover;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
    if (entry.path().filename().string().starts_with(".zeb-save.")) leftover = entry.path();
  ASSERT_FALSE(leftover.empty());
  // The same leftover as if it were a live process's (pid 1 always runs).
  const std::string pid = "." + std::to_string(child) + ".";
  std::string live = leftover;
  live.replace(live.rfind(pid), pid.size(), ".1.");
  std::filesystem::copy_file(leftover, live);

  doc->Save();
  EXPECT_FALSE(std::filesystem::exists(leftover));
  EXPECT_TRUE(std::filesystem::exists(live));
  EXPECT_EQ(FilesIn(dir.Path()), 2u);
}

}  // namespace
}  // namespace zeb
