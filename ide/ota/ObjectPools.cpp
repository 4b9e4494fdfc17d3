#include "ide/ota/ObjectPools.h"

namespace zeb {

// An object that already serves what is asked for is handed out as it is, which costs no
// reference to the module or view; only a new or rebound object takes one.

ComPtr<IOTAModule> ObjectPools::ModuleFor(EditorSeam::Module& module) {
  return modules_.Acquire(
      [&](const ModuleObject& o) { return o.Serves(&module); },
      [&](ModuleObject& o) { o.Serve(module.shared_from_this()); },
      [&] { return MakeCounted<ModuleObject>(*editor_, *this, module.shared_from_this()); });
}

ComPtr<IOTAEditor> ObjectPools::EditorFor(EditorSeam::Module& module, std::size_t file) {
  return editors_.Acquire([&](const SourceEditorObject& o) { return o.Serves(&module, file); },
                          [&](SourceEditorObject& o) { o.Serve(module.shared_from_this(), file); },
                          [&] {
                            return MakeCounted<SourceEditorObject>(*editor_, *this,
                                                                   module.shared_from_this(), file);
                          });
}

ComPtr<IOTAEditView> ObjectPools::ViewFor(EditorSeam::View& view) {
  return views_.Acquire(
      [&](const EditViewObject& o) { return o.Serves(&view); },
      [&](EditViewObject& o) { o.Serve(view.shared_from_this()); },
      [&] { return MakeCounted<EditViewObject>(*editor_, *this, view.shared_from_this()); });
}

ComPtr<IOTAEditBlock> ObjectPools::BlockFor(EditorSeam::View& view) {
  return blocks_.Acquire([&](const EditBlockObject& o) { return o.Serves(&view); },
                         [&](EditBlockObject& o) { o.Serve(view.shared_from_this()); },
                         [&] { return MakeCounted<EditBlockObject>(view.shared_from_this()); });
}

ComPtr<IOTAEditPosition> ObjectPools::PositionFor(EditorSeam::View& view) {
  return positions_.Acquire(
      [&](const EditPositionObject& o) { return o.Serves(&view); },
      [&](EditPositionObject& o) { o.Serve(view.shared_from_this()); },
      [&] { return MakeCounted<EditPositionObject>(view.shared_from_this()); });
}

void ObjectPools::Clear() noexcept {
  positions_.Clear();
  blocks_.Clear();
  views_.Clear();
  editors_.Clear();
  modules_.Clear();
}

}  // namespace zeb
