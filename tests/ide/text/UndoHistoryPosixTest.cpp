// The undo history's memory as the allocator sees it (glibc's count of the bytes in use, or the
// sanitizer's), an oracle independent of the history's own accounting.
#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>

#include "ide/text/Document.h"

#ifdef __SANITIZE_ADDRESS__
// The sanitizer's allocator interface (GCC ships no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace zeb {
namespace {

// The bytes the allocator has handed out and not taken back.
std::size_t AllocatedBytes() {
#ifdef __SANITIZE_ADDRESS__
  return __sanitizer_get_current_allocated_bytes();
#else
  const struct mallinfo2 info = ::mallinfo2();
  return info.uordblks + info.hblkhd;
#endif
}

// However many steps come and go, the history takes no more than its budget and the slack its
// header states: the slots of dropped steps, room kept for steps to come and the blocks of bytes
// all count. The text keeps its size, so what grows is the history.
TEST(UndoHistory, TakesNoMoreMemoryThanItsBudget) {
  constexpr std::size_t kBudget = std::size_t{1} << 20;
  constexpr std::size_t kSlack = std::size_t{64} << 10;
  Document::SetUndoBudgetFloor(kBudget);
  Document doc("mem.pas", TextBuffer::FromBytes(std::string(1000, 'a')));
  Document::SetUndoBudgetFloor(Document::kDefaultUndoBudgetFloor);
  const std::string block(40, 'b');
  const std::size_t base = AllocatedBytes();
  std::size_t peak = 0;
  for (int i = 0; i < 200'000; ++i) {
    // A character typed and taken out again; now and then 40 bytes replaced (a step holding a
    // block of bytes), and a step undone and redone.
    if (i % 2 == 0)
      doc.Edit(500, 0, "y", {}, {});
    else if (i % 10 == 1)
      doc.Edit(100, block.size(), block, {}, {});
    else
      doc.Edit(500, 1, "", {}, {});
    if (i % 50 == 0) {
      doc.Undo();
      doc.Redo();
    }
    if (i % 100 == 0) peak = std::max(peak, AllocatedBytes() - base);
  }
  EXPECT_LE(peak, kBudget + kSlack);
  EXPECT_GT(peak, kBudget / 2);  // the history did fill up
  EXPECT_LE(doc.History().HeldBytes(), kBudget);
  EXPECT_GT(doc.History().UndoCount(), 1000u);
}

// The block the document keeps for its next step's bytes (what the last redo steps dropped left)
// counts against the budget with the history: when an undo fills the history, the block goes.
// The text's storage is reserved up front, so that what grows is the history and that block.
TEST(UndoHistory, TheBlockKeptForTheNextStepCountsAgainstTheBudget) {
  constexpr std::size_t kBudget = std::size_t{1} << 20;
  constexpr std::size_t kSlack = std::size_t{64} << 10;
  ByteBlock storage("start\n");
  storage.Reserve(2 * kBudget);
  Document::SetUndoBudgetFloor(kBudget);
  Document doc("mem.pas", TextBuffer::Adopt(std::move(storage)));
  Document::SetUndoBudgetFloor(Document::kDefaultUndoBudgetFloor);
  const std::string first(700'000, 'p');
  const std::string second(600'000, 'q');
  const std::size_t base = AllocatedBytes();
  // A paste undone and dropped by the next edit leaves its block for the next step.
  doc.Edit(6, 0, first, {}, {});
  doc.Undo();
  doc.Edit(0, 0, "x", {}, {});
  // Another paste undone: the history now holds its bytes, and with the block it would pass the
  // budget.
  doc.Edit(7, 0, second, {}, {});
  doc.Undo();
  EXPECT_EQ(doc.Buffer().ToBytes(), "xstart\n");
  EXPECT_LE(AllocatedBytes() - base, kBudget + kSlack);
  ASSERT_TRUE(doc.Redo());  // the undone paste is still there
  EXPECT_EQ(doc.ByteSize(), 7 + second.size());
}

}  // namespace
}  // namespace zeb
