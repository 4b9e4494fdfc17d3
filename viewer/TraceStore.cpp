#include "viewer/TraceStore.h"

#include <algorithm>
#include <cstring>

namespace zeb {

namespace {

// Texts are kept in chunks of this size; a longer one has a chunk of its own size.
constexpr std::size_t kChunkBytes = std::size_t{1} << 20;

std::uint64_t Digits(std::int64_t value) {
  std::uint64_t digits = value < 0 ? 2 : 1;
  for (std::uint64_t v = value < 0 ? 0 - static_cast<std::uint64_t>(value)
                                   : static_cast<std::uint64_t>(value);
       v >= 10; v /= 10) {
    ++digits;
  }
  return digits;
}

}  // namespace

TraceStore::TraceStore(Limits limits) : limits_(limits) {}
TraceStore::~TraceStore() = default;

std::uint32_t TraceStore::Sender(std::int64_t pid, std::uint64_t dwData,
                                 std::string_view visibleName) {
  std::string key = std::to_string(pid) + '\t' + std::to_string(dwData) + '\t';
  key += visibleName;
  if (const auto found = senderIndex_.find(key); found != senderIndex_.end()) return found->second;
  std::uint32_t index = 0;
  if (!freeSenders_.empty()) {
    index = freeSenders_.back();
    freeSenders_.pop_back();
  } else {
    index = static_cast<std::uint32_t>(senders_.size());
    senders_.emplace_back();
  }
  senders_[index] = {pid, dwData, std::string(visibleName), 0, nextSenderSerial_++};
  senderIndex_.emplace(std::move(key), index);
  return index;
}

void TraceStore::Add(const TraceMessage& m) {
  // Messages of one sender come in runs: its number is looked up once a run.
  if (!lastSender_ || senders_[*lastSender_].pid != m.pid ||
      senders_[*lastSender_].dwData != m.dwData || lastName_ != m.processName) {
    lastName_ = m.processName;
    lastSender_ = Sender(m.pid, m.dwData, MakeVisible(m.processName));
  }
  visible_.clear();
  AppendVisible(visible_, m.text);
  Entry e{};
  e.micros =
      std::chrono::duration_cast<std::chrono::microseconds>(m.received.time_since_epoch()).count();
  e.sender = *lastSender_;
  e.cbData = m.cbData;
  Append(e, visible_);
}

void TraceStore::AddVisible(std::int64_t micros, std::uint32_t sender, std::uint32_t cbData,
                            std::uint32_t flags, std::string_view visibleText) {
  Entry e{};
  e.micros = micros;
  e.sender = sender;
  e.cbData = cbData;
  e.flags = flags;
  Append(e, visibleText);
}

void TraceStore::Append(const Entry& prototype, std::string_view visibleText) {
  if (chunks_.empty() || chunks_.back().size - chunks_.back().used < visibleText.size() + 1) {
    Chunk chunk;
    chunk.size = std::max(kChunkBytes, visibleText.size() + 1);
    chunk.bytes = std::make_unique_for_overwrite<char[]>(chunk.size);
    chunks_.push_back(std::move(chunk));
  }
  Chunk& chunk = chunks_.back();
  Entry e = prototype;
  e.chunk = firstChunk_ + static_cast<std::uint32_t>(chunks_.size() - 1);
  e.offset = static_cast<std::uint32_t>(chunk.used);
  e.length = static_cast<std::uint32_t>(visibleText.size());
  if (!visibleText.empty())
    std::memcpy(chunk.bytes.get() + chunk.used, visibleText.data(), e.length);
  chunk.bytes[chunk.used + visibleText.size()] = '\n';
  chunk.used += visibleText.size() + 1;
  entries_.push_back(e);
  ++senders_[e.sender].uses;
  heldBytes_ += LineBytes(e);
  // The newest message stays, whatever the bounds.
  while (entries_.size() > 1 &&
         (entries_.size() > limits_.messages || heldBytes_ > limits_.bytes)) {
    DropOldest();
    ++dropped_;
  }
}

std::uint64_t TraceStore::LineBytes(const Entry& e) const {
  // "HH:MM:SS.mmm [PID NAME] TEXT\n"
  const TraceSender& s = senders_[e.sender];
  return 13 + 1 + Digits(s.pid) + 1 + s.name.size() + 2 + e.length + 1;
}

void TraceStore::DropOldest() {
  const Entry& e = entries_.front();
  heldBytes_ -= LineBytes(e);
  TraceSender& sender = senders_[e.sender];
  if (--sender.uses == 0) {
    // A sender none of whose messages is held is forgotten: a long run with many short-lived
    // processes does not pile them up.
    senderIndex_.erase(std::to_string(sender.pid) + '\t' + std::to_string(sender.dwData) + '\t' +
                       sender.name);
    freeSenders_.push_back(e.sender);
    if (lastSender_ == e.sender) lastSender_.reset();
  }
  entries_.pop_front();
  ++first_;
  // The chunks before the oldest held message's are free.
  const std::uint32_t keep = entries_.empty()
                                 ? firstChunk_ + static_cast<std::uint32_t>(chunks_.size()) - 1
                                 : entries_.front().chunk;
  while (firstChunk_ < keep) {
    chunks_.pop_front();
    ++firstChunk_;
  }
}

std::string_view TraceStore::Lines(Serial from, Serial to, Serial& end) const {
  const Entry& first = At(from);
  // The last message in the same chunk, by a binary search over the entries (they lie in chunks
  // in order).
  std::size_t low = from - first_;
  std::size_t high = to - first_;  // the first not in the chunk lies in [low + 1, high]
  ++low;
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    if (entries_[middle].chunk == first.chunk) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  end = first_ + low;
  const Entry& last = entries_[low - 1];
  return {chunks_[first.chunk - firstChunk_].bytes.get() + first.offset,
          last.offset + last.length + 1 - first.offset};
}

void TraceStore::AppendLine(std::string& out, const Entry& e) const {
  const TraceSender& s = senders_[e.sender];
  AppendTraceLine(out, Time(e), s.pid, s.name, Text(e));
}

std::uint64_t TraceStore::MemoryBytes() const {
  std::uint64_t bytes = sizeof *this;
  for (const Chunk& c : chunks_)
    bytes += c.size;
  bytes += entries_.size() * sizeof(Entry);
  for (const TraceSender& s : senders_)
    bytes += sizeof s + s.name.capacity() + 64;  // and its key in the index
  return bytes + visible_.capacity();
}

void TraceStore::SetLimits(Limits limits) {
  limits_ = limits;
  while (entries_.size() > 1 &&
         (entries_.size() > limits_.messages || heldBytes_ > limits_.bytes)) {
    DropOldest();
    ++dropped_;
  }
}

void TraceStore::Clear() {
  while (!entries_.empty())
    DropOldest();
  chunks_.clear();
  firstChunk_ = 0;
  entries_.shrink_to_fit();
}

}  // namespace zeb
