// Symbol visibility for the shared libraries: everything is hidden unless marked.
#pragma once

#define ZEB_EXPORT __attribute__((visibility("default")))

// The runtime library (what the add-in takes from the IDE's runtime and form library).
#define ZEB_RTL_API ZEB_EXPORT
