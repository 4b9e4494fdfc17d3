// Symbol visibility for the shared libraries: everything is hidden unless marked.
//
// On Windows a DLL exports what is marked dllexport, and a user of the runtime library imports
// its classes and data (Application, BorlandIDEServices) through dllimport: the runtime's own
// sources are built with ZEB_BUILDING_RTL.
#pragma once

#if defined(_WIN32)
#define ZEB_EXPORT __declspec(dllexport)
#if defined(ZEB_BUILDING_RTL)
#define ZEB_RTL_API __declspec(dllexport)
#else
#define ZEB_RTL_API __declspec(dllimport)
#endif
#else
#define ZEB_EXPORT __attribute__((visibility("default")))
// The runtime library (what the add-in takes from the IDE's runtime and form library).
#define ZEB_RTL_API ZEB_EXPORT
#endif
