// ObjectPools: the interface objects handed out for the editor's modules, editors, views, blocks
// and positions, each kind from a pool of its own (see ObjectPool), so that the objects a key
// press asks for are used again by the next press instead of being made anew. One set per
// editor, held by its services object.
#pragma once

#include <cstddef>

#include "api/ComPtr.h"
#include "api/ToolsAPI.h"
#include "ide/core/EditorSeam.h"
#include "ide/ota/EditBlockObject.h"
#include "ide/ota/EditPositionObject.h"
#include "ide/ota/EditViewObject.h"
#include "ide/ota/ModuleObject.h"
#include "ide/ota/ObjectPool.h"
#include "ide/ota/SourceEditorObject.h"

namespace zeb {

class ObjectPools {
 public:
  explicit ObjectPools(EditorSeam& editor) : editor_(&editor) {}
  ObjectPools(const ObjectPools&) = delete;
  ObjectPools& operator=(const ObjectPools&) = delete;

  // The objects serving the editor's own module or view; each keeps what it serves alive.
  ComPtr<IOTAModule> ModuleFor(EditorSeam::Module& module);
  ComPtr<IOTAEditor> EditorFor(EditorSeam::Module& module, std::size_t file);
  ComPtr<IOTAEditView> ViewFor(EditorSeam::View& view);
  ComPtr<IOTAEditBlock> BlockFor(EditorSeam::View& view);
  ComPtr<IOTAEditPosition> PositionFor(EditorSeam::View& view);
  // Lets go of every pooled object, and so of the modules and views the idle ones served.
  void Clear() noexcept;

 private:
  EditorSeam* editor_;
  // Enough for what one command holds at a time (a first view and the top view); a command
  // that holds more gets objects of its own.
  ObjectPool<ModuleObject, 2> modules_;
  ObjectPool<SourceEditorObject, 2> editors_;
  ObjectPool<EditViewObject, 3> views_;
  ObjectPool<EditBlockObject, 2> blocks_;
  ObjectPool<EditPositionObject, 1> positions_;
};

}  // namespace zeb
