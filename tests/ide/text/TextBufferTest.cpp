#include "ide/text/TextBuffer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ide/text/Document.h"

namespace zeb {
namespace {

struct RoundTrip {
  const char* name;
  std::string bytes;
  std::size_t lines;
  LineEnd preferred;
};

TEST(TextBuffer, EveryByteSequenceComesBackUnchanged) {
  const RoundTrip cases[] = {
      {"empty", "", 1, LineEnd::Lf},
      {"lf", "a\nb\n", 3, LineEnd::Lf},
      {"crlf", "a\r\nb\r\n", 3, LineEnd::CrLf},
      {"mixed", "a\r\nb\nc\r\n", 4, LineEnd::CrLf},
      {"no final newline", "a\nb", 2, LineEnd::Lf},
      {"lone cr is text", "a\rb\r", 1, LineEnd::Lf},
      {"cr before crlf", "a\r\r\nb", 2, LineEnd::CrLf},
      {"nul bytes", std::string("a\0b\n\0\n", 6), 3, LineEnd::Lf},
      {"cp949", "\xB1\xBC\xB8\xB2\r\n\xC7\xD1", 2, LineEnd::CrLf},
      {"only line ends", "\n\r\n\n", 4, LineEnd::Lf},
  };
  for (const RoundTrip& c : cases) {
    SCOPED_TRACE(c.name);
    const TextBuffer buffer = TextBuffer::FromBytes(c.bytes);
    EXPECT_EQ(buffer.ToBytes(), c.bytes);
    EXPECT_EQ(buffer.LineCount(), c.lines);
    EXPECT_EQ(buffer.ByteSize(), c.bytes.size());
    EXPECT_EQ(buffer.PreferredLineEnd(), c.preferred);
    // The last line runs to the end of the bytes: it has no line end.
    EXPECT_EQ(buffer.LineOffset(buffer.LineCount() - 1) + buffer.LineLength(buffer.LineCount() - 1),
              c.bytes.size());
  }
}

// The lines of `bytes` as the buffer must see them.
std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t lf; (lf = bytes.find('\n', start)) != std::string::npos; start = lf + 1)
    lines.push_back(bytes.substr(start, lf - start - (lf > start && bytes[lf - 1] == '\r')));
  lines.push_back(bytes.substr(start));
  return lines;
}

// Edits all over the text move the gap back and forth, grow the storage and the line index and
// shift its entries: after each, the bytes and every line agree with a plain string, and undoing
// and redoing every step gives back each end.
TEST(TextBuffer, EditsAnywhereKeepBytesLinesAndUndo) {
  std::mt19937 random(12);
  const std::string pieces[] = {
      "", "a", "\n", "\r\n", "xy\nz", "\r", std::string(5000, 'q'), "\n\n\n", std::string(3, '\0')};
  const std::string original = "one\r\ntwo\n\nthree";
  Document doc("mem.pas", TextBuffer::FromBytes(original));
  std::string model = original;
  for (int step = 0; step < 600; ++step) {
    const std::size_t offset = random() % (model.size() + 1);
    const std::size_t removed = random() % 4 == 0 ? random() % (model.size() - offset + 1) : 0;
    const std::string& inserted = pieces[random() % std::size(pieces)];
    doc.Edit(offset, removed, inserted, {}, {});
    model.replace(offset, removed, inserted);
    if (step % 7 != 0) continue;
    // Read in an order that makes lines move the gap.
    const std::vector<std::string> lines = SplitLines(model);
    ASSERT_EQ(doc.LineCount(), lines.size());
    for (std::size_t i = lines.size(); i-- > 0;) {
      ASSERT_EQ(doc.LineText(static_cast<std::int32_t>(i + 1)), lines[i]) << "line " << i;
      ASSERT_EQ(doc.Buffer().LineOf(doc.LineOffset(i)), i);
    }
    ASSERT_EQ(doc.Buffer().ToBytes(), model);
    const std::size_t from = random() % (model.size() + 1), count = random() % 9000;
    ASSERT_EQ(doc.Buffer().Span(from, count), std::string_view(model).substr(from, count));
  }
  while (doc.Undo()) {
  }
  EXPECT_EQ(doc.Buffer().ToBytes(), original);
  EXPECT_EQ(doc.LineCount(), 4u);
  while (doc.Redo()) {
  }
  EXPECT_EQ(doc.Buffer().ToBytes(), model);
}

}  // namespace
}  // namespace zeb
