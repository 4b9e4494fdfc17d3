// The viewer's record reader from any byte stream cut into pieces of any size: it finds the same
// records as a plain reading of the whole stream, holds no more than the record it reads, and
// what it would print holds no control character a terminal acts on.
//
// Input: the bound on a record (two bytes), the sizes of the pieces (four bytes, used in turn),
// then the stream.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "tests/fuzz/FuzzCheck.h"
#include "viewer/TraceLine.h"
#include "viewer/TraceRecordReader.h"

using namespace zeb;

namespace {

using Kind = TraceRecordReader::Event::Kind;

struct Found {
  Kind kind;
  std::string text;
  bool operator==(const Found&) const = default;
};

// The records in the whole stream, read in one go by the rules of the wire format.
std::vector<Found> ReadWhole(std::string_view stream, std::uint32_t maxRecord) {
  std::vector<Found> out;
  while (stream.size() >= sizeof(TraceWireHeader)) {
    TraceWireHeader h{};
    std::memcpy(&h, stream.data(), sizeof h);
    stream.remove_prefix(sizeof h);
    if (h.magic != kTraceRecordMagic || h.length > maxRecord) {
      out.push_back({Kind::Fatal, {}});
      break;
    }
    if (stream.size() < h.length) break;
    const std::string_view body = stream.substr(0, h.length);
    stream.remove_prefix(h.length);
    if (h.cbData == h.length && !body.empty() && body.back() == '\0') {
      out.push_back({Kind::Record, std::string(body.substr(0, body.size() - 1))});
    } else {
      out.push_back({Kind::Refused, {}});
    }
  }
  return out;
}

// A terminal would act on none of it: no C0 control, no DEL, no C1 control as a UTF-8 character
// (U+0080 to U+009F) or as a raw byte outside one.
void CheckShowable(std::string_view shown) {
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const auto b = static_cast<unsigned char>(shown[i]);
    CHECK(b >= 0x20 && b != 0x7F);
    if (b < 0x80) continue;
    // 0xC0 and 0xC1 never start a character: only lenient decoders read them.
    std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 1;
    bool valid = length > 1 && i + length <= shown.size();
    for (std::size_t k = 1; valid && k < length; ++k)
      valid = (static_cast<unsigned char>(shown[i + k]) & 0xC0) == 0x80;
    if (!valid) {
      CHECK(b > 0x9F);  // a byte of another encoding
      continue;
    }
    if (length == 2) {
      const unsigned value =
          ((b & 0x1Fu) << 6) | (static_cast<unsigned char>(shown[i + 1]) & 0x3Fu);
      CHECK(value > 0x9F);
    }
    i += length - 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const auto maxRecord = in.ConsumeIntegral<std::uint16_t>();
  std::uint8_t pieces[4];
  for (auto& p : pieces)
    p = in.ConsumeIntegral<std::uint8_t>();
  const std::string stream = in.ConsumeRemainingBytesAsString();

  TraceRecordReader reader(maxRecord);
  std::vector<Found> found;
  std::size_t at = 0;
  for (std::size_t turn = 0; at < stream.size(); ++turn) {
    const std::size_t held = reader.Held();
    const std::size_t growth = reader.Growth();
    const auto space = reader.Space();
    if (space.empty()) break;  // unreadable from here on
    CHECK(reader.Held() == held + growth);
    CHECK(reader.Held() <= maxRecord);
    const std::size_t n = std::min(
        {space.size(), stream.size() - at, static_cast<std::size_t>(pieces[turn % 4]) + 1});
    std::memcpy(space.data(), stream.data() + at, n);
    at += n;
    for (auto e = reader.Commit(n); e; e = reader.Next()) {
      found.push_back({e->kind, e->text});
      CHECK(e->kind == Kind::Record || !e->problem.empty());
      if (e->kind == Kind::Record) CheckShowable(MakeVisible(e->text));
      CHECK(reader.Held() == 0);  // nothing kept past a record
    }
  }
  CHECK(found == ReadWhole(stream, maxRecord));
  return 0;
}
