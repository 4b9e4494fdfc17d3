/* The C header compiles as C, and the entry points link from C. */
#include "trace/ZebTrace.h"

int ZebTraceFromC(int value) {
  ZebTraceArg arg;
  arg.kind = ZEB_TRACE_INT32;
  arg.value.i32 = value;
  return ZebTrace("from C: %d", &arg, 1, 0, 0);
}
