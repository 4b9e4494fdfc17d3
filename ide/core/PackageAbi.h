// PackageAbi: whether a package was built so that the IDE can share its C++ objects with it, from
// the interface version and the standard library tag its identity records (api/PackageInfo.h,
// api/StdlibTag.h), and, when not, what its author should change.
//
// A package built for newer interfaces than the IDE's may call what the IDE lacks; one built
// with another C++ ABI, standard library, library ABI or library mode frees the IDE's strings
// with the wrong allocator or reads them with the wrong layout, and crashes the IDE at the first
// call. Both are refused before any of the package's code runs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "api/PackageInfo.h"

namespace zeb {

// The reason to refuse a package of `interfaceVersion` whose tag is `packageTag` (null when its
// record has none) in an IDE of `ideVersion` and `ideTag`, naming the field that differs and
// how to rebuild; nothing when it may load.
std::optional<std::string> PackageAbiRefusal(std::uint32_t interfaceVersion, const char* packageTag,
                                             std::uint32_t ideVersion = kZebInterfaceVersion,
                                             std::string_view ideTag = kZebStdlibTag);

}  // namespace zeb
