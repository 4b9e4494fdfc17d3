// Symbol visibility for the shared libraries: everything is hidden unless marked.
#pragma once

#if defined(_WIN32)
// The Win32 build links its units statically into each program.
#define ZEB_EXPORT
#else
#define ZEB_EXPORT __attribute__((visibility("default")))
#endif

// The runtime library (what the add-in takes from the IDE's runtime and form library).
#define ZEB_RTL_API ZEB_EXPORT
