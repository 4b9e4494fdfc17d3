// The C++ ABI and standard library a translation unit is compiled against, as a tag made at
// compile time from the library's own macros.
//
// A package and the IDE hand each other std::string, std::span and exceptions across the
// interfaces, and free what the other made: both must be built with the same C++ ABI, the same
// standard library, the same ABI of that library (libstdc++'s old and C++11 strings differ) and
// the same checking mode (a debug-mode container has another layout). A package records the tag
// of its own build in its identity (PackageInfo.h); the IDE refuses one whose tag differs from
// its own, before it calls anything in it.
//
// The tag is four words separated by single spaces, one for each of those fields:
//   C++ ABI           itanium (GCC, Clang, MinGW) or msvc
//   standard library  libstdc++, libc++ or msvc-stl
//   library ABI       libstdc++: cxx11 or old (_GLIBCXX_USE_CXX11_ABI=0); libc++: abi-N;
//                     msvc-stl: the toolset's major version
//   library mode      release, or debug (_GLIBCXX_DEBUG, libc++'s debug mode, or MSVC's
//                     _ITERATOR_DEBUG_LEVEL above 0)
#pragma once

#include <version>  // defines the standard library's own macros

#if defined(_MSC_VER)
#define ZEB_STDLIB_TAG_CXXABI "msvc"
#else
#define ZEB_STDLIB_TAG_CXXABI "itanium"
#endif

#define ZEB_STDLIB_TAG_STR2(x) #x
#define ZEB_STDLIB_TAG_STR(x) ZEB_STDLIB_TAG_STR2(x)

#if defined(_LIBCPP_VERSION)
#define ZEB_STDLIB_TAG_LIBRARY "libc++ abi-" ZEB_STDLIB_TAG_STR(_LIBCPP_ABI_VERSION)
#if defined(_LIBCPP_ENABLE_DEBUG_MODE) || (defined(_LIBCPP_DEBUG) && _LIBCPP_DEBUG > 0)
#define ZEB_STDLIB_TAG_MODE "debug"
#else
#define ZEB_STDLIB_TAG_MODE "release"
#endif
#elif defined(__GLIBCXX__)
#if _GLIBCXX_USE_CXX11_ABI
#define ZEB_STDLIB_TAG_LIBRARY "libstdc++ cxx11"
#else
#define ZEB_STDLIB_TAG_LIBRARY "libstdc++ old"
#endif
#if defined(_GLIBCXX_DEBUG)
#define ZEB_STDLIB_TAG_MODE "debug"
#else
#define ZEB_STDLIB_TAG_MODE "release"
#endif
#elif defined(_MSVC_STL_VERSION)
#define ZEB_STDLIB_TAG_LIBRARY "msvc-stl " ZEB_STDLIB_TAG_STR(_MSVC_STL_VERSION)
#if defined(_ITERATOR_DEBUG_LEVEL) && _ITERATOR_DEBUG_LEVEL > 0
#define ZEB_STDLIB_TAG_MODE "debug"
#else
#define ZEB_STDLIB_TAG_MODE "release"
#endif
#else
#define ZEB_STDLIB_TAG_LIBRARY "unknown unknown"
#define ZEB_STDLIB_TAG_MODE "release"
#endif

// The tag of this translation unit's build, e.g. "itanium libstdc++ cxx11 release".
#define ZEB_STDLIB_TAG ZEB_STDLIB_TAG_CXXABI " " ZEB_STDLIB_TAG_LIBRARY " " ZEB_STDLIB_TAG_MODE

inline constexpr const char* kZebStdlibTag = ZEB_STDLIB_TAG;
