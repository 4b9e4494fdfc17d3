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
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "ide/text/TextPos.h"

namespace zeb {

class EditorSeam {
 public:
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

 protected:
  ~EditorSeam() = default;
};

}  // namespace zeb
