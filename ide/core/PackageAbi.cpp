#include "ide/core/PackageAbi.h"

#include <array>
#include <cstddef>
#include <vector>

namespace zeb {

namespace {
// The fields of a tag, in order (see api/StdlibTag.h).
constexpr std::array<const char*, 4> kFields = {
    "C++ ABI", "standard library", "standard library's ABI", "standard library's mode"};

std::vector<std::string_view> Words(std::string_view tag) {
  std::vector<std::string_view> words;
  while (!tag.empty()) {
    const std::size_t space = tag.find(' ');
    words.push_back(tag.substr(0, space));
    tag = space == std::string_view::npos ? std::string_view() : tag.substr(space + 1);
  }
  return words;
}

// How to rebuild a package whose `field` differs from the IDE's, which is `want`.
std::string Advice(std::size_t field, std::string_view want, std::string_view ideLibrary) {
  const std::string w(want);
  switch (field) {
    case 0:
      return w == "itanium" ? "rebuild it with GCC or Clang (MinGW on Windows), not MSVC"
                            : "rebuild it with MSVC (or clang-cl)";
    case 1:
      if (w == "libstdc++")
        return "rebuild it against libstdc++: with g++, or clang++ without -stdlib=libc++";
      if (w == "libc++") return "rebuild it against libc++: clang++ -stdlib=libc++";
      return "rebuild it against " + w;
    case 2:
      if (ideLibrary == "libstdc++")
        return w == "cxx11" ? "rebuild it without -D_GLIBCXX_USE_CXX11_ABI=0"
                            : "rebuild it with -D_GLIBCXX_USE_CXX11_ABI=0, as the IDE was";
      return "rebuild it with the IDE's " + std::string(ideLibrary) + " ABI, " + w;
    default:
      if (w == "release")
        return ideLibrary == "libc++" ? "rebuild it without libc++'s debug mode"
                                      : "rebuild it without -D_GLIBCXX_DEBUG";
      return "rebuild it in the standard library's debug mode, as the IDE was";
  }
}
}  // namespace

std::optional<std::string> PackageAbiRefusal(std::uint32_t interfaceVersion, const char* packageTag,
                                             std::uint32_t ideVersion, std::string_view ideTag) {
  const std::string rebuild = "rebuild it with this IDE's SDK (zeb_add_package)";
  if (interfaceVersion > ideVersion)
    return "it was built for interface version " + std::to_string(interfaceVersion) +
           ", newer than this IDE's " + std::to_string(ideVersion) +
           ": rebuild it with this IDE's SDK, or use an IDE that provides version " +
           std::to_string(interfaceVersion);
  if (packageTag == nullptr)
    return "it records no C++ standard library tag (it was built for interface version " +
           std::to_string(interfaceVersion) + "), so its ABI cannot be checked: " + rebuild;
  const std::string_view tag(packageTag);
  if (tag == ideTag) return std::nullopt;

  std::string reason = "its C++ standard library tag is \"" + std::string(tag) +
                       "\", this IDE's \"" + std::string(ideTag) + "\"";
  const auto have = Words(tag);
  const auto want = Words(ideTag);
  const std::string_view ideLibrary = want.size() > 1 ? want[1] : std::string_view();
  if (have.size() != kFields.size() || want.size() != kFields.size())
    return reason + ": " + rebuild + " and this IDE's compiler";
  // The first field that differs decides: the later ones mean nothing across libraries.
  for (std::size_t field = 0; field < kFields.size(); ++field) {
    if (have[field] == want[field]) continue;
    return reason + ": the " + kFields[field] + " differs (" + std::string(have[field]) + ", not " +
           std::string(want[field]) + "); " + Advice(field, want[field], ideLibrary);
  }
  return reason;
}

}  // namespace zeb
