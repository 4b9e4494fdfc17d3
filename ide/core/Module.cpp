#include "ide/core/Module.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "ide/text/Utf8Path.h"
#include "runtime/Exceptions.h"
#include "runtime/SysUtils.h"

namespace zeb {

namespace fs = std::filesystem;

namespace {
constexpr std::array kPascalSources = {".pas", ".dpr", ".dpk"};
constexpr std::array kPascalCompanions = {".dfm", ".xfm", ".nfm"};
constexpr std::array kCSources = {".cpp", ".cc", ".cxx", ".c"};
constexpr std::array kCCompanions = {".h", ".hpp", ".hh", ".hxx", ".dfm"};

template <std::size_t N>
bool OneOf(const std::string& ext, const std::array<const char*, N>& list) {
  return std::any_of(list.begin(), list.end(), [&](const char* e) { return ext == e; });
}

// Regular files of `folder` named `stem` plus an extension that `accept` takes.
template <class Accept>
std::vector<std::string> Siblings(const fs::path& folder, const std::string& stem, Accept accept) {
  std::vector<std::string> found;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const fs::path& p = it->path();
    if (Utf8FromPath(p.stem()) != stem) continue;
    if (!accept(LowerCase(Utf8FromPath(p.extension())))) continue;
    std::error_code regularError;
    if (!it->is_regular_file(regularError)) continue;
    found.push_back(Utf8FromPath(p));
  }
  std::sort(found.begin(), found.end());
  return found;
}
}  // namespace

std::string NormalPath(const std::string& path) {
  std::error_code error;
  fs::path absolute = fs::absolute(PathFromUtf8(path), error);
  if (error) absolute = PathFromUtf8(path);
  fs::path normal = fs::weakly_canonical(absolute, error);
  if (error) normal = absolute.lexically_normal();
  return Utf8FromPath(normal);
}

Module::Module(std::vector<std::shared_ptr<Document>> files) : files_(std::move(files)) {
  texts_.reserve(files_.size());
  for (const auto& file : files_)
    texts_.emplace_back(*file, nullptr);
}

std::shared_ptr<EditorSeam::Text> Module::FileText(std::size_t file) {
  if (file >= texts_.size()) return nullptr;
  return std::shared_ptr<EditorSeam::Text>(shared_from_this(), &texts_[file]);
}

std::vector<std::string> Module::FilesFor(const std::string& path) {
  const fs::path opened = PathFromUtf8(NormalPath(path));
  const fs::path folder = opened.parent_path();
  const std::string stem = Utf8FromPath(opened.stem());
  std::string ext = LowerCase(Utf8FromPath(opened.extension()));

  fs::path source = opened;
  if (OneOf(ext, kCCompanions) && ext != ".dfm") {
    const auto sources =
        Siblings(folder, stem, [](const std::string& e) { return OneOf(e, kCSources); });
    if (!sources.empty()) source = PathFromUtf8(sources.front());
  } else if (OneOf(ext, kPascalCompanions)) {
    const auto sources =
        Siblings(folder, stem, [](const std::string& e) { return OneOf(e, kPascalSources); });
    if (!sources.empty()) source = PathFromUtf8(sources.front());
  }
  ext = LowerCase(Utf8FromPath(source.extension()));

  std::vector<std::string> files = {Utf8FromPath(source)};
  std::vector<std::string> companions;
  if (OneOf(ext, kPascalSources))
    companions =
        Siblings(folder, stem, [](const std::string& e) { return OneOf(e, kPascalCompanions); });
  else if (OneOf(ext, kCSources))
    companions =
        Siblings(folder, stem, [](const std::string& e) { return OneOf(e, kCCompanions); });
  for (std::string& companion : companions)
    if (companion != Utf8FromPath(source)) files.push_back(std::move(companion));
  return files;
}

std::shared_ptr<Module> Module::Open(const std::string& path, const Report& report) {
  const std::vector<std::string> files = FilesFor(path);
  const std::string asked = NormalPath(path);
  std::vector<std::shared_ptr<Document>> documents;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (i == 0 || files[i] == asked) {
      documents.push_back(Document::Open(files[i]));
      continue;
    }
    try {
      documents.push_back(Document::Open(files[i]));
    } catch (const EInOutError& e) {
      report(e.Message() + "; " + Utf8FromPath(PathFromUtf8(files[0]).filename()) +
             " opens without it");
    }
  }
  return std::make_shared<Module>(std::move(documents));
}

std::size_t Module::IndexOf(const std::string& path) const noexcept {
  for (std::size_t i = 0; i < files_.size(); ++i)
    if (files_[i]->Path() == path) return i;
  return files_.size();
}

std::size_t Module::IndexOf(const Document& document) const noexcept {
  for (std::size_t i = 0; i < files_.size(); ++i)
    if (files_[i].get() == &document) return i;
  return files_.size();
}

bool Module::Modified() const noexcept {
  return std::any_of(files_.begin(), files_.end(),
                     [](const auto& file) { return file->Modified(); });
}

std::string Module::DesignerType() const {
  for (const auto& file : files_)
    if (std::string type = DesignerTypeOf(file->Path()); !type.empty()) return type;
  return "";
}

std::string Module::DesignerTypeOf(const std::string& path) {
  const std::string ext = LowerCase(Utf8FromPath(PathFromUtf8(path).extension()));
  if (ext == ".dfm" || ext == ".nfm") return "VCL";
  if (ext == ".xfm") return "CLX";
  return "";
}

}  // namespace zeb
