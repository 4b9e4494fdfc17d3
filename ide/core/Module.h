// Module: a source file and its companions in the same folder, each open as a document.
//
// File 0 is the source file. Companions share its name up to the extension: a Pascal source
// (.pas, .dpr, .dpk) has its form file (.dfm, .xfm, .nfm); a C or C++ source (.cpp, .cc, .cxx,
// .c) its headers (.h, .hpp, .hh, .hxx) and form file (.dfm). Opening a header whose source
// file lies beside it opens that source file's module.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ide/core/DocumentText.h"
#include "ide/core/EditorSeam.h"
#include "ide/text/Document.h"

namespace zeb {

class Module final : public EditorSeam::Module {
 public:
  explicit Module(std::vector<std::shared_ptr<Document>> files);

  // The files of the module that `path` belongs to: its source file first, then the companions
  // in name order. Paths are absolute and normalised.
  static std::vector<std::string> FilesFor(const std::string& path);
  // Reports why a companion was left out of a module, in a message for the user.
  using Report = std::function<void(const std::string& message)>;
  // Reads the files FilesFor lists. The source file and the file at `path` must be read, or
  // EInOutError is raised; a companion that cannot be read (no permission, a read error) is left
  // out of the module and `report`ed, so that a form file nobody may read does not keep its unit
  // from opening.
  static std::shared_ptr<Module> Open(const std::string& path, const Report& report);

  const std::string& FileName() const noexcept { return files_.front()->Path(); }
  std::size_t FileCount() const noexcept override { return files_.size(); }
  const std::shared_ptr<Document>& File(std::size_t index) const { return files_.at(index); }
  const std::string& FilePath(std::size_t index) const override { return File(index)->Path(); }
  bool FileModified(std::size_t index) const override { return File(index)->Modified(); }
  // The index of the file at `path`, or FileCount() when it is not one of the module's.
  std::size_t IndexOf(const std::string& path) const noexcept;
  std::size_t IndexOf(const Document& document) const noexcept;
  bool Modified() const noexcept;

  // The kind of form designer the module's form file needs: "VCL" for .dfm and .nfm, "CLX" for
  // .xfm, empty without a form file.
  std::string DesignerType() const override;
  // The kind of form designer the file at `path` needs by that rule, empty for a file that is no
  // form file: for other editors' modules, which follow the same rule.
  static std::string DesignerTypeOf(const std::string& path);

  std::shared_ptr<EditorSeam::Text> FileText(std::size_t file) override;

 private:
  std::vector<std::shared_ptr<Document>> files_;
  std::vector<DocumentText> texts_;  // one for each file, recording no view's state
};

// The absolute, normalised form of a path, as modules and views compare them.
std::string NormalPath(const std::string& path);

}  // namespace zeb
