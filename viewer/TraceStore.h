// The messages a trace window holds, as it shows them: each message's text made visible
// (MakeVisible) once, in chunks of text, with a small fixed entry per message, and its sender
// (process id, name, dwData) kept once for all its messages. In a chunk each text is followed by
// a line feed (a visible text holds none), so that rules search many messages in one pass.
//
// Memory is bounded: at most a set number of messages and of bytes, a message's bytes being those
// of its line as the console prints it (so that the bound reads as the size of the log saved as
// text). Past either bound the oldest messages go, and are counted; the newest always stays. What
// the store allocates stays within twice the held messages' bytes plus a fixed part: an entry (32
// bytes) is less than the shortest line (time, brackets, pid: 18 bytes, and the text with its
// suffix), and a chunk's unused tail is less than the message that did not fit in it.
//
// Messages are numbered from 1 in the order they came, and keep their number while held; Clear
// does not start the numbers again.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "viewer/TraceLine.h"

namespace zeb {

struct TraceSender {
  std::int64_t pid = 0;
  std::uint64_t dwData = 0;
  std::string name;        // visible
  std::uint32_t uses = 0;  // held messages from it
  // Which sender it is over the store's life: a sender's number (Entry::sender) passes to a new
  // one once none of its messages is held, this never does.
  std::uint64_t serial = 0;
};

struct TraceStoreLimits {
  std::uint64_t messages = 1'000'000;
  std::uint64_t bytes = std::uint64_t{512} << 20;
};

class TraceStore {
 public:
  using Serial = std::uint64_t;
  using Limits = TraceStoreLimits;
  static constexpr std::uint32_t kBookmark = 1;

  struct Entry {
    std::int64_t micros;  // received: microseconds since the epoch, system clock
    std::uint32_t chunk;  // the chunk holding the text (by its number) and where in it
    std::uint32_t offset;
    std::uint32_t length;  // of the visible text
    std::uint32_t sender;
    std::uint32_t cbData;
    std::uint32_t flags;
  };
  static_assert(sizeof(Entry) == 32);

  explicit TraceStore(Limits limits = Limits());
  ~TraceStore();
  TraceStore(const TraceStore&) = delete;
  TraceStore& operator=(const TraceStore&) = delete;

  // A message as received.
  void Add(const TraceMessage& m);
  // A message already visible (from a log): its sender from Sender().
  void AddVisible(std::int64_t micros, std::uint32_t sender, std::uint32_t cbData,
                  std::uint32_t flags, std::string_view visibleText);
  // The number standing for a sender, made the first time it is asked for.
  std::uint32_t Sender(std::int64_t pid, std::uint64_t dwData, std::string_view visibleName);

  // The held messages are numbered [First(), End()).
  Serial First() const { return first_; }
  Serial End() const { return first_ + entries_.size(); }
  std::size_t Count() const { return entries_.size(); }
  const Entry& At(Serial s) const { return entries_[s - first_]; }
  std::string_view Text(const Entry& e) const {
    return {chunks_[e.chunk - firstChunk_].bytes.get() + e.offset, e.length};
  }
  // The texts of the held messages [from, to), each ended by a line feed, as they lie in one
  // chunk: from `from` up to the end of `to` - 1 or of the chunk, whichever comes first. The
  // messages it holds are [from, the returned end).
  std::string_view Lines(Serial from, Serial to, Serial& end) const;
  const TraceSender& SenderOf(const Entry& e) const { return senders_[e.sender]; }
  static std::chrono::system_clock::time_point Time(const Entry& e) {
    return std::chrono::system_clock::time_point(std::chrono::microseconds(e.micros));
  }
  void SetFlags(Serial s, std::uint32_t flags) { entries_[s - first_].flags = flags; }

  // The console line of a held message, without its line end.
  void AppendLine(std::string& out, const Entry& e) const;

  // The bytes of the held messages' lines, with their line ends.
  std::uint64_t HeldBytes() const { return heldBytes_; }
  // What the store has allocated, about.
  std::uint64_t MemoryBytes() const;
  // Messages dropped for the bounds since the store was made.
  std::uint64_t Dropped() const { return dropped_; }

  const Limits& GetLimits() const { return limits_; }
  // Drops the oldest messages past the new bounds.
  void SetLimits(Limits limits);
  // Drops every message (they are not counted as dropped).
  void Clear();

 private:
  struct Chunk {
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
    std::size_t used = 0;
  };
  std::uint64_t LineBytes(const Entry& e) const;
  void DropOldest();
  void Append(const Entry& prototype, std::string_view visibleText);

  Limits limits_;
  std::deque<Entry> entries_;
  Serial first_ = 1;
  std::deque<Chunk> chunks_;
  std::uint32_t firstChunk_ = 0;  // the number of chunks_.front()
  std::vector<TraceSender> senders_;
  std::vector<std::uint32_t> freeSenders_;  // no longer used by any held message
  std::uint64_t nextSenderSerial_ = 0;
  std::unordered_map<std::string, std::uint32_t> senderIndex_;
  std::uint64_t heldBytes_ = 0;
  std::uint64_t dropped_ = 0;
  std::string visible_;  // room reused for making a text visible
  // The sender of the last message added, and its name as received.
  std::optional<std::uint32_t> lastSender_;
  std::string lastName_;
};

}  // namespace zeb
