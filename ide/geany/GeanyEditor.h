// GeanyEditor: Geany's open documents as the add-ins' editor (EditorSeam).
//
// Each document Geany has open is one view, its Scintilla widget (ScintillaView), in the module
// of its file (DocumentModule, by zeb-host's module rule). The top view is the current
// document's, the current module its module. Geany has one editor per document, so a file of a
// module has one view while Geany has it open and none otherwise; the module's current file is
// the one whose document was shown last. The modules are in the order of their first documents.
//
// Geany tells the bridge of its documents through its signals, which the bridge passes on:
// Track when a document opens, is shown or reloaded, Saved when it is saved (its name may have
// changed); Forget when it closes. A document is known by its id, since Geany hands the same
// GeanyDocument structure to the next document it opens. Forget detaches the document's view
// from its widget before Geany destroys the widget, so that an add-in still holding the view
// finds it empty rather than a freed widget.
//
// The events (SetEvents) follow the modules: when a module appears, each of its files is opened,
// when the last document of a module closes, each of its files is closed (a module made anew
// because a document was renamed or its companions changed on disk closes and opens so); a
// document Geany saved is saved; a document shown that was not the top view before changes the
// top view. They are told once the editor has followed the change, so that a notifier that asks
// it sees the change. An undo group is a ScintillaUndoGroup; OpenModule opens the file in Geany
// as File -> Open does; messages go to the observer (OnAddinMessage).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ide/core/EditorSeam.h"
#include "ide/core/IdeObserver.h"
#include "ide/geany/DocumentModule.h"
#include "ide/geany/ScintillaUndoGroup.h"
#include "ide/geany/ScintillaView.h"

struct GeanyDocument;

namespace zeb {

class GeanyEditor final : public EditorSeam {
 public:
  explicit GeanyEditor(IdeObserver& observer) noexcept : observer_(&observer) {}
  GeanyEditor(const GeanyEditor&) = delete;
  GeanyEditor& operator=(const GeanyEditor&) = delete;
  ~GeanyEditor() { Clear(); }

  // Follows a document that Geany opened, showed or reloaded: its view and its module, looked up
  // again when its file's name or its companions on disk changed.
  void Track(GeanyDocument& document);
  // Track, and the document becomes the one shown last.
  void Activate(GeanyDocument& document);
  // Track, then tells the events that the document's file was saved.
  void Saved(GeanyDocument& document);
  // The document closes: its view detaches and it leaves the editor.
  void Forget(const GeanyDocument& document);
  // Ends an open undo group, detaches every view and forgets every document, telling no events.
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
  EditorSeam::Module* ModuleAt(std::size_t index) const noexcept override;
  // Raises EInOutError when the file is missing, not a regular file or unreadable, or when Geany
  // does not open it (it tells the user why, as for its own open).
  EditorSeam::Module* OpenModule(const std::string& path) override;
  void BeginUndoGroup() override { group_.Begin(); }
  void EndUndoGroup() noexcept override { group_.End(); }
  void SetEvents(Events* events) noexcept override { events_ = events; }
  void ShowMessage(const std::string& text) override { observer_->OnAddinMessage(text); }

 private:
  struct Entry {
    unsigned id;
    std::string path;  // normalised, or Geany's name of an untitled document
    std::shared_ptr<ScintillaView> view;
    std::shared_ptr<DocumentModule> module;
    std::size_t file;         // the document's index among its module's files
    std::uint64_t activated;  // 0 for never
  };
  using Modules = std::vector<std::shared_ptr<DocumentModule>>;

  const Entry* Find(const GeanyDocument& document) const noexcept;
  Entry* Find(const GeanyDocument& document) noexcept;
  const Entry* Current() const noexcept;
  // Track without telling the events.
  void Follow(GeanyDocument& document);
  // Gives `entry` the module its path belongs to now, shared with the other documents of it.
  void Resolve(Entry& entry, const GeanyDocument& document);
  // The modules of the documents, each once, in the order of their first documents.
  Modules OpenModules() const;
  // Tells the events of the modules that closed and opened since `before`.
  void TellModules(const Modules& before);

  IdeObserver* observer_;
  std::vector<Entry> entries_;  // in the order Geany opened the documents
  std::uint64_t clock_ = 0;
  unsigned topId_ = 0;  // the document the events were last told is the top view
  ScintillaUndoGroup group_;
  Events* events_ = nullptr;
};

}  // namespace zeb
