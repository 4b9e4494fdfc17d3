// ComPtr and TInterfacedObject: counting, ownership moves, queries and checked casts.
#include <gtest/gtest.h>

#include <utility>

#include "api/ComPtr.h"
#include "api/ToolsAPI.h"
#include "runtime/Exceptions.h"
#include "runtime/InterfacedObject.h"

namespace zeb {

namespace {

// Implements two interfaces that share bases; tells when it is destroyed.
class Probe final : public TInterfacedObject<IOTASourceEditor, IOTAEditPosition> {
 public:
  explicit Probe(bool& destroyed) : destroyed_(destroyed) {}
  ~Probe() override { destroyed_ = true; }

  std::string GetFileName() override { return "probe"; }
  bool GetModified() override { return false; }
  ComPtr<IOTAModule> GetModule() override { return {}; }
  ComPtr<IOTAEditView> GetEditView(std::int32_t) override { return {}; }
  std::int32_t GetEditViewCount() override { return 0; }
  std::int32_t GetSubViewCount() override { return 0; }
  std::int32_t GetSubViewIndex() override { return 0; }
  std::string GetSubViewIdentifier(std::int32_t) override { return {}; }
  std::int32_t GetColumn() override { return 3; }
  std::int32_t GetRow() override { return 0; }
  std::int32_t GetLastRow() override { return 0; }

 private:
  bool& destroyed_;
};

TEST(ComPtr, LastReferenceDestroysTheObject) {
  bool destroyed = false;
  {
    auto probe = MakeCounted<Probe>(destroyed);
    EXPECT_EQ(probe->RefCount(), 1);
    ComPtr<Probe> copy = probe;
    EXPECT_EQ(probe->RefCount(), 2);
    ComPtr<Probe> moved = std::move(copy);
    EXPECT_EQ(probe->RefCount(), 2);
    EXPECT_FALSE(copy);
    moved.Reset();
    EXPECT_EQ(probe->RefCount(), 1);
    // Into a pointer to a base interface: copied, it counts; moved, it does not.
    ComPtr<IOTAEditor> base = probe;
    EXPECT_EQ(probe->RefCount(), 2);
    ComPtr<IOTAEditor> movedBase = ComPtr<Probe>(probe);
    EXPECT_EQ(probe->RefCount(), 3);
    base.Reset();
    movedBase.Reset();
    EXPECT_EQ(probe->RefCount(), 1);
  }
  EXPECT_TRUE(destroyed);
}

TEST(ComPtr, DetachAndAttachMoveOwnershipWithoutCounting) {
  bool destroyed = false;
  auto probe = MakeCounted<Probe>(destroyed);
  Probe* raw = probe.Detach();
  EXPECT_FALSE(probe);
  EXPECT_EQ(raw->RefCount(), 1);
  auto again = ComPtr<Probe>::Attach(raw);
  EXPECT_EQ(again->RefCount(), 1);
  auto borrowed = ComPtr<Probe>::Borrow(raw);
  EXPECT_EQ(again->RefCount(), 2);
  borrowed.Reset();
  again.Reset();
  EXPECT_TRUE(destroyed);
}

TEST(ComPtr, QueriesAnswerForEveryImplementedInterfaceAndItsBases) {
  bool destroyed = false;
  const ComPtr<IOTAEditPosition> position = MakeCounted<Probe>(destroyed);
  EXPECT_EQ(position->GetColumn(), 3);

  const auto source = position.TryAs<IOTASourceEditor>();
  ASSERT_TRUE(source);
  EXPECT_EQ(source->GetFileName(), "probe");
  const auto editor = position.TryAs<IOTAEditor>();  // a base of IOTASourceEditor
  ASSERT_TRUE(editor);
  EXPECT_EQ(editor->GetFileName(), "probe");
  const auto unknown1 = position.TryAs<IInterface>();
  const auto unknown2 = source.TryAs<IInterface>();
  EXPECT_EQ(unknown1.Get(), unknown2.Get()) << "one identity whichever way it is asked";

  EXPECT_FALSE(position.TryAs<IOTAModule>());
  ComPtr<IOTAModule> module;
  EXPECT_FALSE(Supports(position, module));
  EXPECT_FALSE(module);
  ComPtr<IOTAEditor> found;
  EXPECT_TRUE(Supports(position, found));
  EXPECT_TRUE(found);
}

TEST(ComPtr, CheckedCastRaisesWithTheInterfaceName) {
  bool destroyed = false;
  const ComPtr<IOTAEditPosition> position = MakeCounted<Probe>(destroyed);
  try {
    (void)position.As<IOTAKeyboardServices>();
    FAIL() << "no exception";
  } catch (const EIntfCastError& e) {
    EXPECT_STREQ(e.ClassName(), "EIntfCastError");
    EXPECT_EQ(e.Message(), "Interface not supported: IOTAKeyboardServices");
  }
  EXPECT_EQ(ComPtr<IOTAEditPosition>().As<IOTAModule>(), nullptr) << "empty casts to empty";
}

TEST(ComPtr, QueryWithNullOutputIsRefused) {
  bool destroyed = false;
  const auto probe = MakeCounted<Probe>(destroyed);
  EXPECT_EQ(probe->QueryInterface(IOTAEditor::IID, nullptr), E_POINTER);
  void* out = &destroyed;
  EXPECT_EQ(probe->QueryInterface(IOTAModule::IID, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
}

TEST(Guid, ParsesAndPrintsTheIdesIdentifiers) {
  EXPECT_EQ(GUIDToString(IOTAModuleServices::IID), "{55A5E848-27FB-4880-8E7C-7F05A9802482}");
  EXPECT_EQ(GUIDToString(IOTAServices::IID), "{17A48937-2C9C-4543-AB6D-2CF13BAE544B}");
  EXPECT_EQ(GUIDToString(IOTAEditorServices::IID), "{BE733055-5ED8-45B4-BAB1-19C46C237408}");
  EXPECT_EQ(GUIDToString(IOTAKeyboardServices::IID), "{F8CAF8D5-D263-11D2-ABD8-00C04FB16FB3}");
  EXPECT_EQ(GUIDToString(IOTASourceEditor::IID), "{5D965803-8147-4D32-B8C5-712F6DDCF98E}");
  EXPECT_EQ(GUIDToString(IOTAKeyboardBinding::IID), "{F8CAF8D7-D263-11D2-ABD8-00C04FB16FB3}");
  EXPECT_EQ(IOTAKeyboardServices::IID.D1, 0xF8CAF8D5u);
  EXPECT_EQ(IOTAKeyboardServices::IID.D4[7], 0xB3);
  EXPECT_NE(IOTAKeyboardServices::IID, IOTAKeyboardBinding::IID);
}

}  // namespace

}  // namespace zeb
