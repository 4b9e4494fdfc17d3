// A module whose companion cannot be read still opens its source file.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "ide/app/Ide.h"
#include "runtime/Exceptions.h"
#include "testkit/TestSupport.h"

namespace zeb {
namespace {

using zeb::test::RecordingObserver;
using zeb::test::TempDir;
using zeb::test::WriteFile;

// Makes `path` a regular file this process cannot read: without permissions for an ordinary
// user; for root, whom permissions do not stop, a link to this process's own memory, which
// reads fail on from its first byte (its start is not mapped).
void MakeUnreadable(const std::string& path) {
  if (::geteuid() != 0) {
    WriteFile(path, "object Form1: TForm1\nend\n");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
  } else {
    ASSERT_EQ(::symlink("/proc/self/mem", path.c_str()), 0);
  }
}

TEST(Module, ACompanionThatCannotBeReadIsLeftOutAndReported) {
  TempDir dir;
  WriteFile(dir / "Unit.pas", "unit Unit;\n");
  MakeUnreadable(dir / "Unit.dfm");
  WriteFile(dir / "Unit.xfm", "object Form1: TForm1\nend\n");
  RecordingObserver observer;
  Ide ide(observer);

  EditView& view = ide.Open(dir / "Unit.pas");
  EXPECT_EQ(view.GetDocument().Path(), dir / "Unit.pas");
  const auto module = ide.CurrentModule();
  ASSERT_EQ(module->FileCount(), 2u);  // the source and the companion that could be read
  EXPECT_EQ(module->File(1)->Path(), dir / "Unit.xfm");
  ASSERT_EQ(observer.messages.size(), 1u);
  const std::string& message = observer.messages[0];
  EXPECT_EQ(message.rfind("cannot ", 0), 0u) << message;  // open, or read for root
  EXPECT_NE(message.find(" " + (dir / "Unit.dfm") + ": "), std::string::npos) << message;
  EXPECT_NE(message.find("; Unit.pas opens without it"), std::string::npos) << message;

  // Asked for by name, the companion is an error of its own.
  RecordingObserver other;
  Ide second(other);
  EXPECT_THROW(second.Open(dir / "Unit.dfm"), EInOutError);
}

}  // namespace
}  // namespace zeb
