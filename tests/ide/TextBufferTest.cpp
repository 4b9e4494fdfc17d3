#include "ide/text/TextBuffer.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace zebide {
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
    EXPECT_EQ(buffer.LineAt(buffer.LineCount() - 1).end, LineEnd::None);
  }
}

TEST(TextBuffer, ReplaceKeepsTheSizeAndRejectsBrokenShapes) {
  TextBuffer buffer = TextBuffer::FromBytes("a\nb\r\nc");
  auto old = buffer.Replace(1, 1, {Line{"xy", LineEnd::Lf}, Line{"z", LineEnd::CrLf}});
  ASSERT_EQ(old.size(), 1u);
  EXPECT_EQ(old[0], (Line{"b", LineEnd::CrLf}));
  EXPECT_EQ(buffer.ToBytes(), "a\nxy\nz\r\nc");
  EXPECT_EQ(buffer.ByteSize(), buffer.ToBytes().size());

  // A line end missing in the middle, one added at the end, an empty buffer: all refused.
  EXPECT_THROW(buffer.Replace(0, 1, {Line{"a", LineEnd::None}}), std::invalid_argument);
  EXPECT_THROW(buffer.Replace(3, 1, {Line{"c", LineEnd::Lf}}), std::invalid_argument);
  EXPECT_THROW(buffer.Replace(0, 4, {}), std::invalid_argument);
  EXPECT_THROW(buffer.Replace(3, 1, {}), std::invalid_argument);
  EXPECT_THROW(buffer.Replace(2, 5, {}), std::invalid_argument);
  EXPECT_EQ(buffer.ToBytes(), "a\nxy\nz\r\nc");
}

}  // namespace
}  // namespace zebide
