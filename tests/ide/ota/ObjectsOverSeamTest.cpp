// The objects handed to add-ins over an editor that is not the IDE's own: a small one kept in
// memory, as another editor (the Geany bridge) implements the seam.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ide/core/AddinHost.h"
#include "ide/core/EditorSeam.h"
#include "ide/ota/KeyObjects.h"
#include "ide/ota/LiveObjects.h"
#include "ide/ota/ServicesObject.h"
#include "runtime/Exceptions.h"
#include "testkit/TestSupport.h"

namespace zeb {
namespace {

class MemoryView final : public EditorSeam::View {
 public:
  TextPos Cursor() const noexcept override { return cursor; }
  bool HasBlock() const noexcept override { return blockSize > 0; }
  std::size_t BlockSize() const override { return blockSize; }
  std::size_t LineCount() const noexcept override { return lines; }
  void IndentBlock(std::int32_t columns) override { indents.push_back(columns); }
  void LowerCaseBlock() override { ++lowerCases; }

  TextPos cursor{1, 1};
  std::size_t blockSize = 0;
  std::size_t lines = 1;
  std::vector<std::int32_t> indents;
  int lowerCases = 0;
};

class MemoryModule final : public EditorSeam::Module {
 public:
  explicit MemoryModule(std::vector<std::string> paths) : paths_(std::move(paths)) {}
  std::size_t FileCount() const noexcept override { return paths_.size(); }
  const std::string& FilePath(std::size_t file) const override { return paths_.at(file); }
  bool FileModified(std::size_t file) const override { return file == 1; }
  std::string DesignerType() const override { return "VCL"; }

  // The views of each file, in the order they were opened.
  std::vector<std::vector<std::shared_ptr<MemoryView>>> views{2};

 private:
  std::vector<std::string> paths_;
};

class MemoryEditor final : public EditorSeam {
 public:
  std::size_t ModuleCount() const noexcept override { return modules.size(); }
  Module* CurrentModule() const noexcept override { return current.get(); }
  View* TopView() const noexcept override { return top.get(); }
  std::size_t ViewCount(const Module& module, std::size_t file) const noexcept override {
    return Own(module).views.at(file).size();
  }
  View* ViewOf(const Module& module, std::size_t file, std::size_t index) const noexcept override {
    const auto& views = Own(module).views.at(file);
    return index < views.size() ? views[index].get() : nullptr;
  }
  std::size_t CurrentFile(const Module&) const noexcept override { return currentFile; }
  void Paint(View& view) override { painted.push_back(&view); }

  static const MemoryModule& Own(const Module& m) { return static_cast<const MemoryModule&>(m); }

  std::vector<std::shared_ptr<MemoryModule>> modules;
  std::shared_ptr<MemoryModule> current;
  std::shared_ptr<MemoryView> top;
  std::size_t currentFile = 0;
  std::vector<View*> painted;
};

struct Fixture {
  test::RecordingObserver observer;
  KeyObjects keyObjects;
  MemoryEditor editor;
  AddinHost host{observer, keyObjects, AddinHost::Options()};
  ComPtr<ServicesObject> services = MakeCounted<ServicesObject>(editor, host);

  Fixture() {
    auto module = std::make_shared<MemoryModule>(
        std::vector<std::string>{"/src/Unit1.pas", "/src/Unit1.dfm"});
    module->views[0] = {std::make_shared<MemoryView>(), std::make_shared<MemoryView>()};
    editor.modules = {module, std::make_shared<MemoryModule>(std::vector<std::string>{"/a.c"})};
    editor.current = module;
    editor.top = module->views[0][1];
    editor.currentFile = 1;
  }
  ~Fixture() { services->Detach(); }
};

TEST(ObjectsOverSeam, ModulesEditorsAndViewsAnswerFromTheEditor) {
  const std::int64_t live = LiveObjects::Count();
  {
    Fixture f;
    const auto modules = f.services.TryAs<IOTAModuleServices>();
    EXPECT_EQ(modules->GetModuleCount(), 2);
    const ComPtr<IOTAModule> module = modules->CurrentModule();
    EXPECT_EQ(module->GetModuleFileCount(), 2);
    EXPECT_EQ(module->GetModuleFileEditor(2), nullptr);
    EXPECT_EQ(module->GetModuleFileEditor(-1), nullptr);

    const auto source = module->GetModuleFileEditor(0).TryAs<IOTASourceEditor>();
    ASSERT_TRUE(source);
    EXPECT_EQ(source->GetFileName(), "/src/Unit1.pas");
    EXPECT_FALSE(source->GetModified());
    EXPECT_EQ(source->GetEditViewCount(), 2);
    EXPECT_EQ(source->GetEditView(2), nullptr);
    EXPECT_EQ(source->GetSubViewCount(), 2);
    EXPECT_EQ(source->GetSubViewIndex(), 1);
    EXPECT_EQ(source->GetSubViewIdentifier(1), "Unit1.dfm");
    EXPECT_EQ(source->GetSubViewIdentifier(2), "");
    EXPECT_EQ(module->GetCurrentEditor()->GetFileName(), "/src/Unit1.dfm");
    EXPECT_TRUE(module->GetCurrentEditor()->GetModified());
    EXPECT_EQ(f.services.TryAs<IOTAServices>()->GetActiveDesignerType(), "VCL");

    // The block commands reach the view asked for: the first view here, the top view there.
    const ComPtr<IOTAEditView> first = source->GetEditView(0);
    first->GetBlock()->Indent(-2);
    first->Paint();
    const ComPtr<IOTAEditView> top = f.services.TryAs<IOTAEditorServices>()->GetTopView();
    top->GetBlock()->LowerCase();
    EXPECT_EQ(f.editor.current->views[0][0]->indents, std::vector<std::int32_t>{-2});
    EXPECT_EQ(f.editor.top->lowerCases, 1);
    EXPECT_EQ(f.editor.painted,
              std::vector<EditorSeam::View*>{f.editor.current->views[0][0].get()});
    EXPECT_EQ(source->GetModule()->GetModuleFileCount(), 2);
  }
  EXPECT_EQ(LiveObjects::Count(), live);
}

TEST(ObjectsOverSeam, PositionsPastTheRecordsRangeAndClosedViews) {
  Fixture f;
  const auto editorServices = f.services.TryAs<IOTAEditorServices>();
  // Columns past 32767 read as its largest value in the 16-bit record, exactly in the position.
  const struct {
    std::int32_t col;
    std::int16_t recordCol;
  } columns[] = {{1, 1}, {32767, 32767}, {32768, 32767}, {2000000, 32767}};
  for (const auto& c : columns) {
    f.editor.top->cursor = {7, c.col};
    const ComPtr<IOTAEditView> view = editorServices->GetTopView();
    EXPECT_EQ(view->GetCursorPos().Col, c.recordCol) << c.col;
    EXPECT_EQ(view->GetCursorPos().Line, 7);
    EXPECT_EQ(view->GetPosition()->GetColumn(), c.col);
  }
  f.editor.top->blockSize = std::size_t{1} << 33;  // past what the 32-bit size can say
  f.editor.top->lines = 12;
  EXPECT_EQ(editorServices->GetTopView()->GetBlock()->GetSize(), INT32_MAX);
  EXPECT_EQ(editorServices->GetTopView()->GetPosition()->GetLastRow(), 12);

  // A view the editor let go of lives while an add-in holds it, and goes with the last holder.
  ComPtr<IOTAEditView> held = editorServices->GetTopView();
  const std::weak_ptr<MemoryView> closed = f.editor.top;
  f.editor.top.reset();
  f.editor.current->views[0].pop_back();
  f.services->ReleaseIdle();
  EXPECT_EQ(held->GetCursorPos().Line, 7);
  EXPECT_EQ(editorServices->GetTopView(), nullptr);
  held.Reset();
  EXPECT_TRUE(closed.expired());

  // Once the services are detached they answer nothing, and raise where they would act.
  f.services->Detach();
  EXPECT_EQ(f.services.TryAs<IOTAModuleServices>()->CurrentModule(), nullptr);
  EXPECT_EQ(f.services.TryAs<IOTAModuleServices>()->GetModuleCount(), 0);
  EXPECT_THROW(f.services.TryAs<IOTAServices>()->GetProductIdentifier(), EInvalidOperation);
}

}  // namespace
}  // namespace zeb
