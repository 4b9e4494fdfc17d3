// Reads trace records (TraceWire.h) from one sender's stream, which arrives in pieces of any
// size. The caller reads from the socket straight into Space() and hands the count to Commit,
// then takes any further records the same read completed from Next.
//
// Between records, a read goes to a small staging area, so that a header and a short text come
// in one read; what follows the header there is moved to the text's buffer (at most the staging
// area's size, and never past the record). Beyond that, memory follows what has arrived, not
// what a header announces: the text's buffer grows as its bytes come (by half again each time,
// never past the announced length), so a sender that announces a large record and sends nothing
// holds next to nothing. Held() is what the text's buffer holds now and Growth() what the next
// Space() would add, so that the caller can keep a bound over all its readers before it lets
// one grow.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "trace/TraceWire.h"

namespace zeb {

class TraceRecordReader {
 public:
  // A complete record, or a problem with the stream.
  struct Event {
    enum class Kind { Record, Refused, Fatal };
    Kind kind = Kind::Record;
    TraceWireHeader header{};
    std::string text;     // a sound record's text, without its terminating NUL
    std::string problem;  // why a record was refused (answer it) or the stream is unreadable
  };

  // Records announcing more than `maxRecord` bytes make the stream unreadable.
  explicit TraceRecordReader(std::uint32_t maxRecord = kTraceMaxRecord);

  // Where the next bytes go: never empty while the stream is readable.
  std::span<char> Space();
  // What the next Space() adds to Held().
  std::size_t Growth() const;
  std::size_t Held() const { return capacity_; }
  // Some of a record has arrived, not all of it.
  bool MidRecord() const { return headerKnown_ || staged_ > 0; }

  // Takes `n` bytes just written to the front of Space(); an event once a record is complete or
  // its header is unreadable (after which nothing more is read).
  std::optional<Event> Commit(std::size_t n);
  // The next record already among the bytes taken, if any.
  std::optional<Event> Next();

  // Frees what the reader holds; it reads nothing more.
  void Abandon();

 private:
  static constexpr std::size_t kStage = 4096;

  std::optional<Event> Complete();
  void Reset();

  std::uint32_t maxRecord_;
  char stage_[kStage];
  std::size_t staged_ = 0;
  TraceWireHeader header_{};
  bool headerKnown_ = false;
  std::unique_ptr<char[]> text_;
  std::size_t capacity_ = 0;
  std::size_t used_ = 0;
  bool unreadable_ = false;
};

}  // namespace zeb
