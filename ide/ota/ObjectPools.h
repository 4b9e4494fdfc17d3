// ObjectPools: the interface objects the IDE hands out for its modules, editors, views, blocks
// and positions, each kind from a pool of its own (see ObjectPool), so that the objects a key
// press asks for are used again by the next press instead of being made anew. One set per IDE,
// held by its services object.
#pragma once

#include <cstddef>
#include <memory>

#include "api/ComPtr.h"
#include "api/ToolsAPI.h"
#include "ide/ota/EditBlockObject.h"
#include "ide/ota/EditPositionObject.h"
#include "ide/ota/EditViewObject.h"
#include "ide/ota/ModuleObject.h"
#include "ide/ota/ObjectPool.h"
#include "ide/ota/SourceEditorObject.h"

namespace zeb {

class Ide;
class Module;
class EditView;

class ObjectPools {
 public:
  ComPtr<IOTAModule> ModuleFor(Ide& ide, const std::shared_ptr<Module>& module);
  ComPtr<IOTAEditor> EditorFor(Ide& ide, const std::shared_ptr<Module>& module, std::size_t file);
  ComPtr<IOTAEditView> ViewFor(Ide& ide, const std::shared_ptr<EditView>& view);
  ComPtr<IOTAEditBlock> BlockFor(const std::shared_ptr<EditView>& view);
  ComPtr<IOTAEditPosition> PositionFor(const std::shared_ptr<EditView>& view);
  // Lets go of every pooled object, and so of the modules and views the idle ones served.
  void Clear() noexcept;

 private:
  // Enough for what one command holds at a time (a first view and the top view); a command
  // that holds more gets objects of its own.
  ObjectPool<ModuleObject, 2> modules_;
  ObjectPool<SourceEditorObject, 2> editors_;
  ObjectPool<EditViewObject, 3> views_;
  ObjectPool<EditBlockObject, 2> blocks_;
  ObjectPool<EditPositionObject, 1> positions_;
};

}  // namespace zeb
