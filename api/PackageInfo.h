// A package's identity as a host reads it, through a plain C entry point so that any host can
// read it without sharing the package's C++ types.
#pragma once

#include <cstdint>

#include "api/StdlibTag.h"

extern "C" {

struct ZebVersionRecord {
  std::uint16_t fileVersion[4];     // major, minor, release, build
  std::uint16_t productVersion[4];  // major, minor, release, build
  std::uint16_t languageId;         // e.g. 0x0412, Korean
  std::uint16_t codePage;           // e.g. 949
  const char* const* stringNames;   // descriptive strings: names and values, `stringCount` each
  const char* const* stringValues;
  std::uint32_t stringCount;
};

struct ZebPackageInfo {
  std::uint32_t structSize;  // sizeof(ZebPackageInfo) of the package's build
  const char* name;
  const char* description;  // UTF-8
  bool designOnly;
  const char* const* requiredPackages;  // package file names, in order
  std::uint32_t requiredPackageCount;
  const char* const* containedUnits;  // unit names, in order
  std::uint32_t containedUnitCount;
  ZebVersionRecord version;
  // The version of the interfaces the package was built against: the kZebInterfaceVersion of
  // its build. A record that ends before this field is of version 1.
  std::uint32_t interfaceVersion;
  // The C++ ABI and standard library of its build: the kZebStdlibTag of its build (see
  // StdlibTag.h). A host refuses a package whose tag is not its own, and one whose record ends
  // before this field (built before version 2), since nothing says its ABI.
  const char* stdlibTag;
};

// Exported by every package under this name.
using ZebPackageInfoProc = const ZebPackageInfo* (*)();
}

// The version of the interfaces an add-in is written against (api/) that this build declares.
// It grows whenever they change in a way that a package built against them relies on; a host
// loads packages of its own version and older ones, and refuses newer ones.
//   1  the interfaces of ToolsAPI.h
//   2  the editing extension (ZebEditorAPI.h) and the standard library tag
inline constexpr std::uint32_t kZebInterfaceVersion = 2;

// Names of a package's entry points.
inline constexpr const char* kPackageInfoSymbol = "ZebGetPackageInfo";
inline constexpr const char* kRegisterSymbol = "Register";
inline constexpr const char* kInitializeSymbol = "Initialize";
inline constexpr const char* kFinalizeSymbol = "Finalize";
