// The trace channel's records on a POSIX stream socket. The sender writes a header and then
// `length` bytes of text; the viewer answers every header with an acknowledgement carrying the
// same sequence number once it has handled (or refused) the record. Both ends run on one
// machine: fields are in the machine's byte order.
#pragma once

#include <cstdint>

#include "runtime/Format.h"

namespace zeb {

inline constexpr std::uint32_t kTraceRecordMagic = 0x4352545AU;  // "ZTRC"
inline constexpr std::uint32_t kTraceAckMagic = 0x4B41545AU;     // "ZTAK"

// The largest record a viewer takes: the longest text Format gives, with room for the context
// suffix and the NUL, so that every message TRACE can format fits. A larger one is refused and
// its connection closed.
inline constexpr std::uint32_t kTraceMaxRecord = static_cast<std::uint32_t>(kFormatMaxLength) + 64;

struct TraceWireHeader {
  std::uint32_t magic;
  std::uint32_t length;  // bytes that follow: the text and its terminating NUL
  std::uint64_t sequence;
  std::uint64_t dwData;
  std::uint32_t cbData;
  std::uint32_t reserved;
};
static_assert(sizeof(TraceWireHeader) == 32);

enum class TraceAckStatus : std::uint32_t { Handled = 0, Refused = 1 };

struct TraceWireAck {
  std::uint32_t magic;
  TraceAckStatus status;
  std::uint64_t sequence;
};
static_assert(sizeof(TraceWireAck) == 16);

}  // namespace zeb
