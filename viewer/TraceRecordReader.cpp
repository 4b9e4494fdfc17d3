#include "viewer/TraceRecordReader.h"

#include <algorithm>
#include <cstring>

#include "viewer/TraceLine.h"

namespace {

// The first piece of a text's buffer; small records fit in it at once.
constexpr std::size_t kFirstPiece = 16 << 10;

}  // namespace

TraceRecordReader::TraceRecordReader(std::uint32_t maxRecord) : maxRecord_(maxRecord) {}

std::size_t TraceRecordReader::Growth() const {
  if (unreadable_ || headerBytes_ < sizeof header_ || used_ < capacity_) return 0;
  const std::size_t wanted = std::max(kFirstPiece, capacity_ + capacity_ / 2);
  return std::min<std::size_t>(wanted, header_.length) - capacity_;
}

std::span<char> TraceRecordReader::Space() {
  if (unreadable_) return {};
  if (headerBytes_ < sizeof header_) {
    return {reinterpret_cast<char*>(&header_) + headerBytes_, sizeof header_ - headerBytes_};
  }
  if (const std::size_t growth = Growth(); growth > 0) {
    auto bigger = std::make_unique_for_overwrite<char[]>(capacity_ + growth);
    if (used_ > 0) std::memcpy(bigger.get(), text_.get(), used_);
    text_ = std::move(bigger);
    capacity_ += growth;
  }
  return {text_.get() + used_, capacity_ - used_};
}

std::optional<TraceRecordReader::Event> TraceRecordReader::Commit(std::size_t n) {
  if (unreadable_ || n == 0) return std::nullopt;
  if (headerBytes_ < sizeof header_) {
    headerBytes_ += n;
    if (headerBytes_ < sizeof header_) return std::nullopt;
    if (auto bad = CheckHeader(header_, maxRecord_)) {
      Abandon();
      Event e;
      e.kind = Event::Kind::Fatal;
      e.header = header_;
      e.problem = std::move(*bad);
      return e;
    }
    if (header_.length > 0) return std::nullopt;
  } else {
    used_ += n;
    if (used_ < header_.length) return std::nullopt;
  }
  // A whole record.
  Event e;
  e.header = header_;
  const std::string_view payload(text_.get(), used_);
  if (auto bad = CheckRecord(header_, payload)) {
    e.kind = Event::Kind::Refused;
    e.problem = std::move(*bad);
  } else {
    e.text.assign(payload.substr(0, payload.size() - 1));
  }
  Reset();
  return e;
}

void TraceRecordReader::Abandon() {
  Reset();
  unreadable_ = true;
}

void TraceRecordReader::Reset() {
  headerBytes_ = 0;
  text_.reset();
  capacity_ = 0;
  used_ = 0;
}
