/* TRACE and RTRACE for code written in C or other languages: the same channel as uTrace.h, with
 * the arguments as an array of tagged values. */
#ifndef ZEB_TRACE_ZEBTRACE_H
#define ZEB_TRACE_ZEBTRACE_H

#include <stddef.h>
#include <stdint.h>

#include "api/Export.h"

#ifdef __cplusplus
extern "C" {
#endif

enum ZebTraceArgKind {
  ZEB_TRACE_INT32 = 0,  /* value.i32 */
  ZEB_TRACE_INT64 = 1,  /* value.i64 */
  ZEB_TRACE_DOUBLE = 2, /* value.f64 */
  ZEB_TRACE_TEXT = 3,   /* value.text: data and length in bytes (may hold NULs) */
  ZEB_TRACE_CHAR = 4,   /* value.ch */
  ZEB_TRACE_POINTER = 5 /* value.pointer */
};

typedef struct ZebTraceArg {
  int32_t kind; /* a ZebTraceArgKind */
  union {
    int32_t i32;
    int64_t i64;
    double f64;
    struct {
      const char* data;
      size_t length;
    } text;
    char ch;
    const void* pointer;
  } value;
} ZebTraceArg;

/* Formats fmt (NUL-terminated) with count arguments and sends it as TRACE does. Returns 0 when
 * the message was formatted, whether or not a viewer took it. Returns -1 when the format does not
 * fit its arguments or an argument's kind is unknown: nothing is sent, and when error_size is not
 * 0 the error text is copied to error (cut to fit, NUL-terminated). */
ZEB_EXPORT int ZebTrace(const char* fmt, const ZebTraceArg* args, size_t count, char* error,
                        size_t error_size);

/* Does nothing and returns 0. */
ZEB_EXPORT int ZebRTrace(const char* fmt, const ZebTraceArg* args, size_t count, char* error,
                         size_t error_size);

#ifdef __cplusplus
}
#endif

#endif
