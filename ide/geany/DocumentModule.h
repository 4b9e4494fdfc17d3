// DocumentModule: a module as the Geany bridge offers it to add-ins: a source file with its
// companions, by zeb-host's module rule (Module::FilesFor): Unit1.pas with the Unit1.dfm beside
// it on disk, whether or not Geany has the form file open.
//
// Its files are fixed when it is made; the editor makes a new module when the files on disk or a
// document's name change, so that an add-in holding this one keeps reading the files it read.
// A document Geany has not saved yet ("untitled") is a module of one file, named as Geany names
// it.
//
// A file's text (FileText) is that of its document's view, which the editor links while Geany
// has the file open; a file Geany does not have open has none (an add-in opens it with
// OpenModule).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ide/core/EditorSeam.h"
#include "ide/geany/ScintillaView.h"

namespace zeb {

class DocumentModule final : public EditorSeam::Module {
 public:
  // `untitledId` is the Geany document of an untitled module, 0 for a module of files.
  DocumentModule(std::vector<std::string> files, unsigned untitledId)
      : files_(std::move(files)), views_(files_.size()), untitledId_(untitledId) {}

  const std::vector<std::string>& Files() const noexcept { return files_; }
  bool Untitled() const noexcept { return untitledId_ != 0; }
  // The index of `path` among the files, or FileCount() when it is not one of them.
  std::size_t IndexOf(const std::string& path) const noexcept;
  // Links file `file` to the view of its document (null: none).
  void Link(std::size_t file, const std::shared_ptr<ScintillaView>& view) noexcept;
  // Unlinks `view` from the files it shows.
  void Unlink(const ScintillaView& view) noexcept;

  std::size_t FileCount() const noexcept override { return files_.size(); }
  const std::string& FilePath(std::size_t file) const override { return files_.at(file); }
  // Whether Geany has the file open with changes not saved.
  bool FileModified(std::size_t file) const override;
  std::string DesignerType() const override;
  std::shared_ptr<EditorSeam::Text> FileText(std::size_t file) override;

 private:
  std::vector<std::string> files_;
  std::vector<std::weak_ptr<ScintillaView>> views_;  // one for each file
  unsigned untitledId_;
};

}  // namespace zeb
