#include "ide/text/Document.h"

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
#include "runtime/Exceptions.h"
#include "tests/ide/TestSupport.h"

// What this program syncs, in order: saving's durability is otherwise invisible to a test.
namespace zebtest {
std::vector<std::pair<dev_t, ino_t>> synced;
}

extern "C" int fsync(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) == 0) zebtest::synced.emplace_back(st.st_dev, st.st_ino);
  return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace zebide {
namespace {

using zebtest::ReadFile;
using zebtest::TempDir;
using zebtest::WriteFile;

std::size_t FilesIn(const std::string& folder) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
    ++n;
  return n;
}

TEST(Document, SavedWithoutEditsIsTheSameBytes) {
  TempDir dir;
  const std::string samples[] = {"", "a\r\nb\nc", std::string("nul\0inside\r\n\0", 14),
                                 "\xB1\xBC\r\n\xC7\xD1\n\n", "trailing cr\r"};
  for (const std::string& bytes : samples) {
    const std::string path = dir / "f.pas";
    WriteFile(path, bytes);
    const auto doc = Document::Open(path);
    EXPECT_FALSE(doc->Modified());
    doc->Save();
    EXPECT_EQ(ReadFile(path), bytes);
  }
}

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

// The rename is made durable too, in the folder that holds the file: a dangling link's target
// is where the file is made, the link stays.
TEST(Document, SaveSyncsTheFolderOfTheFileAfterRenaming) {
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
    zebtest::synced.clear();
    doc->SaveCopy(c.saveAs);
    struct stat folder {};
    ASSERT_EQ(::stat(c.folder.c_str(), &folder), 0);
    ASSERT_FALSE(zebtest::synced.empty());
    EXPECT_EQ(zebtest::synced.back(), std::make_pair(folder.st_dev, folder.st_ino));
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

TEST(Document, SaveFailuresNameThePathAndTheReason) {
  TempDir dir;
  const std::string path = dir / "a.pas";
  WriteFile(path, "a\n");
  const auto doc = Document::Open(path);

  // No such folder for a copy.
  try {
    doc->SaveCopy(dir / "missing/b.pas");
    ADD_FAILURE() << "no exception";
  } catch (const EInOutError& e) {
    EXPECT_NE(e.Message().find("missing/b.pas: No such file or directory"), std::string::npos)
        << e.Message();
  }
  // The file was replaced by a folder: the folder stays as it was.
  std::filesystem::remove(path);
  std::filesystem::create_directory(path);
  EXPECT_THROW(doc->Save(), EInOutError);
  EXPECT_TRUE(std::filesystem::is_directory(path));
  EXPECT_THROW(Document::Open(dir / "nonesuch.pas"), EInOutError);
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

TEST(Document, UndoAndRedoRestoreTextAndModifiedState) {
  TempDir dir;
  const std::string path = dir / "u.pas";
  WriteFile(path, "one\r\ntwo");
  const auto doc = Document::Open(path);
  EditView view(doc, 8);
  view.Select({1, 1}, {2, 4});
  view.IndentBlock(2);
  view.SetCursor({2, 1});
  view.InsertText("x\ny");  // the line break becomes the file's CRLF
  EXPECT_EQ(doc->Buffer().ToBytes(), "  one\r\nx\r\ny  two");

  EXPECT_TRUE(view.Undo());
  EXPECT_EQ(doc->Buffer().ToBytes(), "  one\r\n  two");
  doc->Save();
  EXPECT_FALSE(doc->Modified());
  EXPECT_TRUE(view.Undo());
  EXPECT_EQ(doc->Buffer().ToBytes(), "one\r\ntwo");
  EXPECT_TRUE(doc->Modified());
  EXPECT_EQ(view.BlockStart(), (TextPos{1, 1}));
  EXPECT_EQ(view.BlockEnd(), (TextPos{2, 4}));
  EXPECT_FALSE(view.Undo());
  EXPECT_TRUE(view.Redo());
  EXPECT_FALSE(doc->Modified());  // back where it was saved
  EXPECT_TRUE(view.Redo());
  EXPECT_EQ(doc->Buffer().ToBytes(), "  one\r\nx\r\ny  two");
  EXPECT_FALSE(view.Redo());

  // A new edit after an undo drops the redo steps, and the saved state can no longer return.
  EXPECT_TRUE(view.Undo());
  EXPECT_TRUE(view.Undo());
  view.SetCursor({1, 1});
  view.InsertText("z");
  EXPECT_FALSE(view.Redo());
  EXPECT_TRUE(doc->Modified());
}

// Past its budget the history drops its oldest steps, never the last one, and tells the truth
// about what can still be undone.
TEST(Document, UndoHistoryKeepsWithinItsBudget) {
  Document::SetUndoBudgetFloor(64 << 10);
  const auto doc = std::make_shared<Document>("mem.pas", TextBuffer::FromBytes("start\n"));
  Document::SetUndoBudgetFloor(Document::kDefaultUndoBudgetFloor);
  EXPECT_EQ(doc->UndoBudget(), 64u << 10);
  EditView view(doc, 8);
  const std::string block(16 << 10, 'b');
  for (int i = 0; i < 20; ++i) {
    view.Select({1, 1}, {2, 1});
    view.InsertText(block + std::to_string(i) + "\n");  // each step holds the block it replaced
  }
  EXPECT_LE(doc->History().HeldBytes(), doc->UndoBudget());
  const std::size_t kept = doc->History().UndoCount();
  EXPECT_GE(kept, 2u);
  EXPECT_LT(kept, 20u);
  for (std::size_t i = 0; i < kept; ++i)
    EXPECT_TRUE(view.Undo());
  EXPECT_FALSE(view.Undo());
  EXPECT_EQ(doc->LineText(1), block + std::to_string(19 - kept));
  EXPECT_TRUE(doc->Modified());  // the opened text can no longer come back

  // One step larger than the budget is still kept.
  view.Select({1, 1}, {2, 1});
  view.InsertText(std::string(128 << 10, 'c'));
  EXPECT_EQ(doc->History().UndoCount(), 1u);
}

TEST(Document, AMillionLinesOpenIndentUndoAndSave) {
  TempDir dir;
  const std::string path = dir / "big.cpp";
  std::string bytes;
  for (int i = 0; i < 1'000'000; ++i)
    bytes += (i % 3 == 0 ? "int x;\r\n" : i % 3 == 1 ? "\n" : "  y = x;\n");
  WriteFile(path, bytes);
  const auto doc = Document::Open(path);
  ASSERT_EQ(doc->LineCount(), 1'000'001u);
  EditView view(doc, 8);
  ASSERT_TRUE(view.Select({1, 1}, {1'000'001, 1}));
  view.IndentBlock(4);
  EXPECT_EQ(doc->LineText(1), "    int x;");
  EXPECT_EQ(doc->LineText(2), "");
  EXPECT_EQ(doc->LineText(3), "      y = x;");
  EXPECT_EQ(doc->LineText(1'000'000), "    int x;");
  EXPECT_EQ(doc->History().UndoCount(), 1u);
  view.IndentBlock(-4);
  EXPECT_EQ(doc->Buffer().ToBytes(), bytes);
  EXPECT_TRUE(view.Undo());
  EXPECT_TRUE(view.Undo());
  doc->Save();
  EXPECT_EQ(ReadFile(path), bytes);
}

}  // namespace
}  // namespace zebide

namespace zebide {
namespace {

// A front end mirrors the bytes from the changes alone: applying each reported range to a copy
// must give the document's text, whatever the kind of change.
TEST(Document, ReportedChangesReproduceTheText) {
  EditView view(std::make_shared<Document>("m.cpp", TextBuffer::FromBytes("a\r\nbb\n\nccc")), 8);
  Document& doc = view.GetDocument();
  std::string mirror = doc.Buffer().ToBytes();
  std::vector<TextChange::Kind> kinds;
  TextChange last;
  doc.SetChangeListener([&](Document& d, const TextChange& c) {
    kinds.push_back(c.kind);
    last = c;
    EXPECT_EQ(d.Buffer().LineOf(c.offset), c.firstLine);
    mirror.replace(c.offset, c.removed, d.Bytes(c.offset, c.inserted));
    EXPECT_EQ(mirror, d.Buffer().ToBytes());
  });
  ASSERT_TRUE(view.Select({2, 1}, {4, 2}));
  view.IndentBlock(4);
  ASSERT_TRUE(view.SetCursor({4, 4}));
  view.InsertText("x\ny");
  ASSERT_TRUE(view.Undo());
  ASSERT_TRUE(view.Undo());
  ASSERT_TRUE(view.Redo());
  EXPECT_EQ(mirror, "a\r\n    bb\n\n    ccc");
  ASSERT_TRUE(view.SetCursor({4, 3}));
  view.InsertText("z");  // a typed character is reported as itself
  EXPECT_EQ(mirror, "a\r\n    bb\n\n  z  ccc");
  EXPECT_EQ((std::vector<std::size_t>{last.offset, last.removed, last.inserted, last.firstLine,
                                      last.removedLines, last.insertedLines}),
            (std::vector<std::size_t>{13, 0, 1, 3, 1, 1}));
  const std::vector<TextChange::Kind> expected{TextChange::Kind::Edit, TextChange::Kind::Edit,
                                               TextChange::Kind::Undo, TextChange::Kind::Undo,
                                               TextChange::Kind::Redo, TextChange::Kind::Edit};
  EXPECT_EQ(kinds, expected);
}

}  // namespace
}  // namespace zebide
