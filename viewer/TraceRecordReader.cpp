#include "viewer/TraceRecordReader.h"

#include <algorithm>
#include <cstring>

#include "viewer/TraceLine.h"

namespace zeb {

namespace {

// The smallest piece a text's buffer grows by.
constexpr std::size_t kFirstPiece = 16 << 10;

}  // namespace

TraceRecordReader::TraceRecordReader(std::uint32_t maxRecord) : maxRecord_(maxRecord) {}

std::size_t TraceRecordReader::Growth() const {
  if (unreadable_ || !headerKnown_ || used_ < capacity_) return 0;
  const std::size_t wanted = std::max(kFirstPiece, capacity_ + capacity_ / 2);
  return std::min<std::size_t>(wanted, header_.length) - capacity_;
}

std::span<char> TraceRecordReader::Space() {
  if (unreadable_) return {};
  if (!headerKnown_) return {stage_ + staged_, kStage - staged_};
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
  if (!headerKnown_) {
    staged_ += n;
    return Next();
  }
  used_ += n;
  return used_ < header_.length ? std::nullopt : Complete();
}

std::optional<TraceRecordReader::Event> TraceRecordReader::Next() {
  if (unreadable_ || headerKnown_ || staged_ < sizeof header_) return std::nullopt;
  std::memcpy(&header_, stage_, sizeof header_);
  if (auto bad = CheckHeader(header_, maxRecord_)) {
    Event e;
    e.kind = Event::Kind::Fatal;
    e.header = header_;
    e.problem = std::move(*bad);
    Abandon();
    return e;
  }
  headerKnown_ = true;
  // The text that came with the header moves to a buffer of just its size; the rest of the
  // staging area (the start of the next record) moves to its front.
  const std::size_t take = std::min<std::size_t>(header_.length, staged_ - sizeof header_);
  if (take > 0) {
    text_ = std::make_unique_for_overwrite<char[]>(take);
    std::memcpy(text_.get(), stage_ + sizeof header_, take);
    capacity_ = used_ = take;
  }
  staged_ -= sizeof header_ + take;
  std::memmove(stage_, stage_ + sizeof header_ + take, staged_);
  return used_ < header_.length ? std::nullopt : Complete();
}

std::optional<TraceRecordReader::Event> TraceRecordReader::Complete() {
  Event e;
  e.header = header_;
  const std::string_view payload(text_.get(), used_);
  if (auto bad = CheckRecord(header_.cbData, payload)) {
    e.kind = Event::Kind::Refused;
    e.problem = std::move(*bad);
  } else {
    e.text.assign(payload.substr(0, payload.size() - 1));
  }
  headerKnown_ = false;
  text_.reset();
  capacity_ = 0;
  used_ = 0;
  return e;
}

void TraceRecordReader::Abandon() {
  Reset();
  unreadable_ = true;
}

void TraceRecordReader::Reset() {
  staged_ = 0;
  headerKnown_ = false;
  text_.reset();
  capacity_ = 0;
  used_ = 0;
}

}  // namespace zeb
