#include "ide/core/DocumentText.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace zeb {
namespace {

// An edit through a module's file text (no view) records the cursor at the edit's start before
// it and just after the inserted bytes after it: undo and redo show those places.
TEST(DocumentText, AFilesEditRecordsTheCursorBeforeAndAfterIt) {
  struct Case {
    const char* inserted;
    std::size_t removed;
    TextPos after;
  };
  const Case cases[] = {
      {"xy", 0, {2, 4}},   {"xy", 2, {2, 4}},   {"ab\ncd", 0, {3, 3}},
      {"ab\n", 1, {3, 1}}, {"\n\n", 0, {4, 1}},
  };
  for (const Case& c : cases) {
    Document doc("mem.pas", TextBuffer::FromBytes("one\ntwo\n"));
    DocumentText text(doc, nullptr);
    text.Replace(5, c.removed, c.inserted);  // at line 2, column 2
    const TextPos before{2, 2};
    EXPECT_EQ(doc.Undo(), (ViewState{before, before, before})) << c.inserted;
    EXPECT_EQ(doc.Redo(), (ViewState{c.after, c.after, c.after})) << c.inserted;
  }
}

}  // namespace
}  // namespace zeb
