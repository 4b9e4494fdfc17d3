// uTrace: TRACE formats a debug message and hands it to the trace viewer (the endpoint named
// "TFormTrace"); RTRACE takes the same arguments and does nothing, so a call can be switched off
// by renaming it.
//
// The text sent is the formatted message followed by the context suffix "|%d|%s|%s|." (with the
// initial context values "|0|.|.|."), then a NUL; the record's cbData counts every byte of the
// text, NULs inside it included, plus the terminating NUL. The record's dwData is the sending
// process's id.
//
// TRACE raises EConvertError when the format does not fit its arguments (or its result would be
// longer than kFormatMaxLength), before it looks for a viewer or sends anything. Otherwise it
// never fails: with no viewer, a viewer that does not answer in time, or too little memory for
// the text, the message is dropped silently. The viewer is looked up lazily: while none has been
// found, each call looks again; the one found is kept while it works. When it has gone (closed,
// restarted) or its connection broke part way through a message, it is dropped, and the next
// call looks again; a message nothing of which reached a viewer that has gone is sent to the
// one found then. One call waits for the viewer at most the transport's bound (2 s), lookup
// included. The caller's last-error value (errno on POSIX) is the same after TRACE as after the
// formatting. TRACE may be called from several threads at once.
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "api/Export.h"
#include "runtime/Format.h"
#include "trace/ZebTrace.h"

ZEB_EXPORT void TRACE(std::string_view fmt, std::span<const zeb::TVarRec> args);
ZEB_EXPORT void RTRACE(std::string_view fmt, std::span<const zeb::TVarRec> args);

template <zeb::TVarRecValue... Args>
void TRACE(std::string_view fmt, const Args&... args) {
  const std::array<zeb::TVarRec, sizeof...(Args)> list{zeb::TVarRec(args)...};
  TRACE(fmt, std::span<const zeb::TVarRec>(list));
}

template <zeb::TVarRecValue... Args>
void RTRACE(std::string_view, const Args&...) {}

namespace zeb {

// What became of one message.
enum class TraceOutcome { Delivered, NoViewer, Refused, TimedOut, Lost, OutOfMemory };

// TRACE, telling what became of the message; raises as TRACE does.
TraceOutcome TraceDelivery(std::string_view fmt, std::span<const TVarRec> args);
// "no viewer is running", "the viewer did not answer in time"...
const char* DescribeTraceOutcome(TraceOutcome outcome);

}  // namespace zeb

// Unit initialisation and finalisation. The initialisation runs by itself when the library
// holding the unit (the package) is loaded, so a package need not call it; calling it again
// changes nothing. The finalisation gives the viewer's connection back and releases the context
// strings: a package calls it from its Finalize, and traces nothing after it.
void InitializeuTrace();
void FinalizeuTrace();
