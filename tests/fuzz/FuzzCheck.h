// CHECK(condition): a harness's own check. A failed one names the line and aborts, which
// libFuzzer reports as a crash and keeps the input for.
#pragma once

#include <cstdio>
#include <cstdlib>

#define CHECK(condition)                                                         \
  do {                                                                           \
    if (!(condition)) {                                                          \
      std::fprintf(stderr, "check failed, line %d: %s\n", __LINE__, #condition); \
      std::abort();                                                              \
    }                                                                            \
  } while (false)
