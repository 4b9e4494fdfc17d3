// GeanyEditor: Geany's open documents as the add-ins' editor (EditorSeam).
//
// Each document Geany has open is one view, its Scintilla widget (ScintillaView), in the module
// of its file (DocumentModule, by zeb-host's module rule). The top view is the current
// document's, the current module its module. Geany has one editor per document, so a file of a
// module has one view while Geany has it open and none otherwise; the module's current file is
// the one whose document was shown last.
//
// Geany tells the bridge of its documents through its signals, which the bridge passes on:
// Track when a document opens, is shown, saved (its name may have changed) or reloaded; Forget
// when it closes. A document is known by its id, since Geany hands the same GeanyDocument
// structure to the next document it opens. Forget detaches the document's view from its widget
// before Geany destroys the widget, so that an add-in still holding the view finds it empty
// rather than a freed widget.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ide/core/EditorSeam.h"
#include "ide/geany/DocumentModule.h"
#include "ide/geany/ScintillaView.h"

struct GeanyDocument;

namespace zeb {

class GeanyEditor final : public EditorSeam {
 public:
  GeanyEditor() = default;
  GeanyEditor(const GeanyEditor&) = delete;
  GeanyEditor& operator=(const GeanyEditor&) = delete;
  ~GeanyEditor() { Clear(); }

  // Follows a document that Geany opened, showed, saved or reloaded: its view and its module,
  // looked up again when its file's name or its companions on disk changed.
  void Track(GeanyDocument& document);
  // Track, and the document becomes the one shown last.
  void Activate(GeanyDocument& document);
  // The document closes: its view detaches and it leaves the editor.
  void Forget(const GeanyDocument& document);
  // Detaches every view and forgets every document.
  void Clear() noexcept;
  // Whether the document is followed (cheap: the key path asks before every press).
  bool Tracks(const GeanyDocument& document) const noexcept { return Find(document) != nullptr; }

  // EditorSeam
  std::size_t ModuleCount() const noexcept override;
  EditorSeam::Module* CurrentModule() const noexcept override;
  EditorSeam::View* TopView() const noexcept override;
  std::size_t ViewCount(const EditorSeam::Module& module, std::size_t file) const noexcept override;
  EditorSeam::View* ViewOf(const EditorSeam::Module& module, std::size_t file,
                           std::size_t index) const noexcept override;
  std::size_t CurrentFile(const EditorSeam::Module& module) const noexcept override;
  void Paint(EditorSeam::View& view) override;

 private:
  struct Entry {
    unsigned id;
    std::string path;  // normalised, or Geany's name of an untitled document
    std::shared_ptr<ScintillaView> view;
    std::shared_ptr<DocumentModule> module;
    std::size_t file;         // the document's index among its module's files
    std::uint64_t activated;  // 0 for never
  };

  const Entry* Find(const GeanyDocument& document) const noexcept;
  Entry* Find(const GeanyDocument& document) noexcept;
  const Entry* Current() const noexcept;
  // Gives `entry` the module its path belongs to now, shared with the other documents of it.
  void Resolve(Entry& entry, const GeanyDocument& document);

  std::vector<Entry> entries_;  // in the order Geany opened the documents
  std::uint64_t clock_ = 0;
};

}  // namespace zeb
