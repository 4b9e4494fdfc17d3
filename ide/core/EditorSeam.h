// EditorSeam: the editor as the objects handed to add-ins (ide/ota) see it, so that those objects
// work over any editor that implements it: the IDE's own views and modules (ViewRegistry, with
// EditView and Module) and the Geany bridge's documents.
//
// An editor has modules, each a source file with its companions; files have views, each with a
// cursor and a block counted in byte lines and columns from 1, as TextPos does. The top view is
// the one the user acted in last, and the current module is its module.
//
// Lookups answer with the editor's own objects, or null for none; the pointers stay valid until
// the editor changes. An interface object keeps what it serves alive with shared_from_this, so a
// view or module must stay usable (answering as an empty one if need be) after the editor has
// closed it, for as long as an add-in holds on to it.
//
// Editing (what the editing extension, api/ZebEditorAPI.h, offers add-ins; interface version 2)
// is the second part of each class below, marked so: a file's text read and replaced in bytes
// (Text), the block's ends, the cursor and the selection set, undo groups, the modules by index
// and opening a file, the editor's events and a message line. Each has a default that does
// nothing and answers as for nothing (null, false, the cursor), so an editor that lacks one
// still hosts every package; the add-in then sees the extension's "not available" answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "ide/text/TextPos.h"

namespace zeb {

class EditorSeam {
 public:
  class View;

  // One file's text as bytes. Lines count from 1: every line but the last ends with LF or CRLF
  // (the line end belongs to its line), and the last has none, so a text that ends with a line
  // break has an empty last line. Offsets count bytes from 0 up to ByteSize().
  class Text {
   public:
    virtual std::size_t ByteSize() const noexcept = 0;
    virtual std::size_t LineCount() const noexcept = 0;
    // Where line `line` (1 to LineCount()) starts, and where its text ends, before its line
    // end.
    virtual std::size_t LineStart(std::size_t line) const noexcept = 0;
    virtual std::size_t LineEnd(std::size_t line) const noexcept = 0;
    // The line that holds byte `offset` (the last line for ByteSize()).
    virtual std::size_t LineOf(std::size_t offset) const noexcept = 0;
    // A copy of the bytes [offset, offset + count), cut at the text's end.
    virtual std::string Bytes(std::size_t offset, std::size_t count) const = 0;
    // Replaces the bytes [offset, offset + removed), which lie in the text, with `inserted`
    // (taken as it is, line ends included), as one undo step or a part of the open undo group.
    // The views' cursors and blocks keep their lines and columns, brought back into the text.
    virtual void Replace(std::size_t offset, std::size_t removed, std::string_view inserted) = 0;

   protected:
    ~Text() = default;
  };

  // What the editor tells the objects handed to add-ins (see SetEvents).
  class Events {
   public:
    virtual void FileOpened(const std::string& path) = 0;
    virtual void FileSaved(const std::string& path) = 0;
    virtual void FileClosed(const std::string& path) = 0;
    // Another view became the top view.
    virtual void TopViewChanged(View& view) = 0;

   protected:
    ~Events() = default;
  };

  class View : public std::enable_shared_from_this<View> {
   public:
    virtual TextPos Cursor() const noexcept = 0;
    virtual bool HasBlock() const noexcept = 0;
    // The bytes the block covers, line ends included; 0 without a block.
    virtual std::size_t BlockSize() const = 0;
    // The number of the text's last line: a text ending in a line break has an empty last line.
    virtual std::size_t LineCount() const noexcept = 0;
    // The block commands, each one undo step, after which the block covers the same lines:
    // indents (columns > 0) or unindents (columns < 0) the block's lines, or lower-cases the
    // ASCII letters inside the block. Nothing happens without a block.
    virtual void IndentBlock(std::int32_t columns) = 0;
    virtual void LowerCaseBlock() = 0;

    // ---- Editing
    // The block's ends, start <= end ([start, end) is selected); both are the cursor without
    // a block. The cursor is at one of the two ends.
    virtual TextPos BlockStart() const noexcept { return Cursor(); }
    virtual TextPos BlockEnd() const noexcept { return Cursor(); }
    // Moves the cursor, dropping the block; false, with nothing changed, for a place not in
    // the text.
    virtual bool SetCursor(TextPos /*pos*/) { return false; }
    // Selects [from, to) (in either order) with the cursor at `to`; false, with nothing
    // changed, when a place is not in the text.
    virtual bool Select(TextPos /*from*/, TextPos /*to*/) { return false; }
    // The text the view shows, kept alive with the view.
    virtual std::shared_ptr<Text> ViewText() { return nullptr; }

   protected:
    ~View() = default;
  };

  class Module : public std::enable_shared_from_this<Module> {
   public:
    // Its files: 0 is the source file, the companions follow.
    virtual std::size_t FileCount() const noexcept = 0;
    virtual const std::string& FilePath(std::size_t file) const = 0;
    virtual bool FileModified(std::size_t file) const = 0;
    // The kind of form designer the module's form file needs ("VCL", "CLX"), or empty.
    virtual std::string DesignerType() const = 0;

    // ---- Editing
    // The text of file `file`, kept alive with the module; null outside its files.
    virtual std::shared_ptr<Text> FileText(std::size_t /*file*/) { return nullptr; }

   protected:
    ~Module() = default;
  };

  virtual std::size_t ModuleCount() const noexcept = 0;
  virtual Module* CurrentModule() const noexcept = 0;
  virtual View* TopView() const noexcept = 0;
  // The views of a module's file, in the order they were opened.
  virtual std::size_t ViewCount(const Module& module, std::size_t file) const noexcept = 0;
  virtual View* ViewOf(const Module& module, std::size_t file,
                       std::size_t index) const noexcept = 0;
  // The file that the module's view active last shows; 0 when none of its views was active.
  virtual std::size_t CurrentFile(const Module& module) const noexcept = 0;
  // Draws the view again.
  virtual void Paint(View& view) = 0;

  // ---- Editing
  // The open module `index` (from 0, in the order they were opened), or null.
  virtual Module* ModuleAt(std::size_t /*index*/) const noexcept { return nullptr; }
  // Opens the module of the file at `path`, or switches to it, with a view of that file as the
  // top view, as a user's open does. Raises the editor's error (EInOutError) with the reason
  // when it cannot; null when the editor opens nothing for add-ins.
  virtual Module* OpenModule(const std::string& /*path*/) { return nullptr; }
  // Opens and closes an undo group (they nest; the outermost counts): every change made to any
  // file between the two is one undo step of that file.
  virtual void BeginUndoGroup() {}
  virtual void EndUndoGroup() noexcept {}
  // Tells `events` (null: no one) what happens to files and views from now on.
  virtual void SetEvents(Events* /*events*/) noexcept {}
  // Shows a message from an add-in on the editor's message or status line.
  virtual void ShowMessage(const std::string& /*text*/) {}

 protected:
  ~EditorSeam() = default;
};

}  // namespace zeb
