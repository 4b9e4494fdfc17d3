// The viewer's line, its record checks and reader, and "send"'s argument conversion.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "runtime/Exceptions.h"
#include "runtime/VisibleText.h"
#include "viewer/TraceLine.h"
#include "viewer/TraceRecordReader.h"
#include "viewer/TraceSend.h"

namespace zeb {

namespace {

TEST(ViewerLine, MakesControlCharactersVisible) {
  const struct {
    std::string in;
    std::string out;
  } rows[] = {
      {"plain", "plain"},
      {"a\nb\tc\rd", "a\\nb\\tc\\rd"},
      {std::string("nul\0x", 5), "nul\\0x"},
      {"\x1b[31m\x7f", "\\x1B[31m\\x7F"},
      {"back\\slash", "back\\\\slash"},
      {"\xea\xb0\x80", "\xea\xb0\x80"},  // bytes of a multi-byte character stay
      // C1 controls, which a terminal acts on (U+009B is CSI), in UTF-8 and as raw bytes.
      {"\xc2\x9b"
       "31m\xc2\x80\xc2\x9f\xc2\xa0",
       "\\u009B31m\\u0080\\u009F\xc2\xa0"},
      {"\x9b"
       "31m\x85\x80",
       "\\x9B31m\\x85\\x80"},
      // Not UTF-8 (a lead byte without its follower, an overlong form): bytes from 0xA0 stay.
      {"\xc2"
       "A\xe9t\xc0\x9b",
       "\xc2"
       "A\xe9t\xc0\\x9B"},
      {"\xed\xa0\x80", "\xed\xa0\\x80"},  // a surrogate is not a character
  };
  for (const auto& row : rows)
    EXPECT_EQ(MakeVisible(row.in), row.out) << row.out;
}

// The runtime's VisibleText follows the same rule: each is the other's oracle, on every byte and
// every pair of bytes, and on the characters at the ends of each UTF-8 length.
TEST(ViewerLine, MakesTheSameTextVisibleAsTheRuntime) {
  std::vector<std::string> texts;
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b)
      texts.push_back({static_cast<char>(a), static_cast<char>(b)});
  for (const char* edge : {"\xe0\xa0\x80", "\xef\xbf\xbf", "\xed\x9f\xbf", "\xf0\x90\x80\x80",
                           "\xf4\x8f\xbf\xbf", "\xf4\x90\x80\x80", "\xe0\x9f\xbf"})
    texts.emplace_back(edge);
  for (const std::string& text : texts)
    ASSERT_EQ(MakeVisible(text), VisibleText(text)) << VisibleText(text);
}

// Memory follows what has arrived: a header alone holds nothing, and a text that comes after its
// header never gets a buffer larger than the header announced.
TEST(ViewerRecord, ReaderHoldsNoMoreThanTheRecordAnnounces) {
  for (const std::uint32_t length : {1U, 100U, 16U << 10, (16U << 10) + 1, 100000U}) {
    SCOPED_TRACE(length);
    TraceRecordReader reader;
    const TraceWireHeader h{kTraceRecordMagic, length, 7, 1, length, 0};
    std::memcpy(reader.Space().data(), &h, sizeof h);
    EXPECT_FALSE(reader.Commit(sizeof h));
    EXPECT_EQ(reader.Held(), 0U);
    const std::string text = std::string(length - 1, 't') + '\0';
    std::optional<TraceRecordReader::Event> event;
    for (std::size_t sent = 0; sent < text.size();) {
      const std::span<char> space = reader.Space();
      ASSERT_FALSE(space.empty());
      EXPECT_LE(reader.Held(), length);
      const std::size_t n = std::min(space.size(), text.size() - sent);
      std::memcpy(space.data(), text.data() + sent, n);
      sent += n;
      event = reader.Commit(n);
    }
    ASSERT_TRUE(event);
    EXPECT_EQ(event->kind, TraceRecordReader::Event::Kind::Record);
    EXPECT_EQ(event->text, text.substr(0, length - 1));
  }
}

TEST(ViewerLine, ShowsSenderAndOptionallyTheRecordFields) {
  TraceMessage m;
  m.pid = 42;
  m.processName = "host";
  m.dwData = 42;
  m.cbData = 4;
  m.text = "a\nb";
  const std::string plain = FormatTraceLine(m, false);
  // "HH:MM:SS.mmm " then the rest.
  ASSERT_GE(plain.size(), 13U);
  EXPECT_EQ(plain[2], ':');
  EXPECT_EQ(plain[8], '.');
  EXPECT_EQ(plain.substr(12), " [42 host] a\\nb");
  EXPECT_EQ(FormatTraceLine(m, true).substr(12), " [42 host] cbData=4 dwData=42 a\\nb");
}

TEST(ViewerRecord, ChecksLengthAndTerminator) {
  const TraceWireHeader h{kTraceRecordMagic, 3, 1, 0, 3, 0};
  EXPECT_FALSE(CheckRecord(3, std::string("ab\0", 3)));
  EXPECT_TRUE(CheckRecord(3, "abc"));
  EXPECT_TRUE(CheckRecord(4, std::string("ab\0", 3)));
  EXPECT_TRUE(CheckRecord(0, ""));
  EXPECT_FALSE(CheckHeader(h));
  EXPECT_FALSE(CheckHeader({kTraceRecordMagic, kTraceMaxRecord, 1, 0, 0, 0}));
  EXPECT_TRUE(CheckHeader({kTraceRecordMagic, kTraceMaxRecord + 1, 1, 0, 0, 0}));
  EXPECT_TRUE(CheckHeader({0, 3, 1, 0, 3, 0}));
}

TEST(SendArguments, TakeTheKindTheirConversionAsks) {
  const std::vector<std::string> args = {"-5", "text", "2.5", "9000000000"};
  const auto recs = ArgumentsForFormat("%d %s %f %d", args);
  ASSERT_EQ(recs.size(), 4U);
  EXPECT_EQ(recs[0].kind(), TVarRec::Kind::Integer);
  EXPECT_EQ(recs[1].kind(), TVarRec::Kind::String);
  EXPECT_EQ(recs[2].kind(), TVarRec::Kind::Extended);
  EXPECT_EQ(recs[3].kind(), TVarRec::Kind::Int64);
  EXPECT_EQ(Format("%d %s %f %d", recs), "-5 text 2.50 9000000000");
}

TEST(SendArguments, MismatchesAreClearErrors) {
  const struct {
    std::string fmt;
    std::vector<std::string> args;
    std::string says;
  } rows[] = {
      {"%d", {"abc"}, "not an integer"},
      {"%d", {"12x"}, "not an integer"},
      {"%f", {"pi"}, "not a number"},
      {"%d %d", {"1"}, "takes 2 argument(s), 1 given"},
      {"%s", {"a", "b"}, "takes 1 argument(s), 2 given"},
      {"%p", {"0"}, "%p"},
      {"%q", {}, "Invalid format"},
  };
  for (const auto& row : rows) {
    try {
      ArgumentsForFormat(row.fmt, row.args);
      ADD_FAILURE() << row.fmt << " accepted";
    } catch (const EConvertError& e) {
      EXPECT_NE(e.Message().find(row.says), std::string::npos) << e.Message();
    }
  }
}

}  // namespace

}  // namespace zeb
