#include "ide/ota/ObjectPools.h"

namespace zeb {

ComPtr<IOTAModule> ObjectPools::ModuleFor(Ide& ide, const std::shared_ptr<Module>& module) {
  return modules_.Acquire([&](const ModuleObject& o) { return o.Serves(module); },
                          [&](ModuleObject& o) { o.Serve(module); },
                          [&] { return MakeCounted<ModuleObject>(ide, *this, module); });
}

ComPtr<IOTAEditor> ObjectPools::EditorFor(Ide& ide, const std::shared_ptr<Module>& module,
                                          std::size_t file) {
  return editors_.Acquire(
      [&](const SourceEditorObject& o) { return o.Serves(module, file); },
      [&](SourceEditorObject& o) { o.Serve(module, file); },
      [&] { return MakeCounted<SourceEditorObject>(ide, *this, module, file); });
}

ComPtr<IOTAEditView> ObjectPools::ViewFor(Ide& ide, const std::shared_ptr<EditView>& view) {
  return views_.Acquire([&](const EditViewObject& o) { return o.Serves(view); },
                        [&](EditViewObject& o) { o.Serve(view); },
                        [&] { return MakeCounted<EditViewObject>(ide, *this, view); });
}

ComPtr<IOTAEditBlock> ObjectPools::BlockFor(const std::shared_ptr<EditView>& view) {
  return blocks_.Acquire([&](const EditBlockObject& o) { return o.Serves(view); },
                         [&](EditBlockObject& o) { o.Serve(view); },
                         [&] { return MakeCounted<EditBlockObject>(view); });
}

ComPtr<IOTAEditPosition> ObjectPools::PositionFor(const std::shared_ptr<EditView>& view) {
  return positions_.Acquire([&](const EditPositionObject& o) { return o.Serves(view); },
                            [&](EditPositionObject& o) { o.Serve(view); },
                            [&] { return MakeCounted<EditPositionObject>(view); });
}

void ObjectPools::Clear() noexcept {
  positions_.Clear();
  blocks_.Clear();
  views_.Clear();
  editors_.Clear();
  modules_.Clear();
}

}  // namespace zeb
