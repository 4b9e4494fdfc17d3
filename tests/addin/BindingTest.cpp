// Registration and the keyboard binding: what the IDE is handed, and what it gets back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addin/hotkeys/HotKeyMain2007.h"
#include "runtime/Exceptions.h"
#include "tests/addin/FakeIde.h"
#include "tests/trace/FakeTransport.h"

// The package's entry points, which the IDE looks up by name.
extern "C" void Initialize();
extern "C" void Finalize();

namespace zeb {

namespace {

using Calls = std::vector<std::string>;

TEST(MyHotkey, DescribesItselfToTheIde) {
  const auto hotkey = MakeCounted<TMyHotkey>();
  EXPECT_EQ(hotkey->GetBindingType(), btComplete);
  EXPECT_EQ(hotkey->GetName(), "ZEB_Addin_HotKey");
  EXPECT_EQ(hotkey->GetDisplayName(),
            "ZEB IDE \xED\x99\x95\xEC\x9E\xA5 \xEC\x84\x9C\xEB\xB9\x84\xEC\x8A\xA4");
}

TEST(MyHotkey, AnswersForItsBindingTheNotifierAndTheBaseOnly) {
  const auto hotkey = MakeCounted<TMyHotkey>();
  const ComPtr<IOTAKeyboardBinding> binding = hotkey;
  EXPECT_TRUE(binding.TryAs<IOTAKeyboardBinding>());
  EXPECT_TRUE(binding.TryAs<IOTANotifier>());
  EXPECT_TRUE(binding.TryAs<IInterface>());
  EXPECT_FALSE(binding.TryAs<IOTAEditor>());
  EXPECT_THROW(binding.As<IOTAModule>(), EIntfCastError);
  // The inherited notifications do nothing, and nothing breaks when the IDE calls them.
  const auto notifier = binding.As<IOTANotifier>();
  notifier->AfterSave();
  notifier->BeforeSave();
  notifier->Modified();
  notifier->Destroyed();
  EXPECT_EQ(hotkey->RefCount(), 3);  // hotkey, binding, notifier
}

TEST(BindKeyboard, BindsTabShiftTabAndCtrlAltUToHandleKey) {
  fake::FakeIde ide;
  auto* bindingServices = ide.Make<fake::FakeKeyBindingServices>("KeyBindingServices");
  bindingServices->answer = false;  // every call is made whatever the one before returned
  const auto hotkey = MakeCounted<TMyHotkey>();
  hotkey->BindKeyboard(bindingServices);

  ASSERT_EQ(bindingServices->calls.size(), 3u);
  const std::vector<TShortCut> keys = {0x0009, 0x2009, 0xC055};
  for (std::size_t i = 0; i < 3; ++i) {
    const fake::KeyBindingCall& call = bindingServices->calls[i];
    EXPECT_EQ(call.keys, std::vector<TShortCut>{keys[i]});
    EXPECT_EQ(call.proc.Data, hotkey.Get());
    EXPECT_EQ(call.proc, TKeyBindingProc::Of<&TMyHotkey::HandleKey>(hotkey.Get()));
    EXPECT_EQ(call.context, nullptr);
    EXPECT_EQ(call.flags, 7);
    EXPECT_EQ(call.keyboard, "");
    EXPECT_EQ(call.menuItemName, "");
  }
}

TEST(BindKeyboard, TheBoundProcedureIsHandleKey) {
  fake::FakeIde ide;
  ide.SetUpSourceModule("Main.cpp");
  ide.block->valid = true;
  auto* bindingServices = ide.Make<fake::FakeKeyBindingServices>("KeyBindingServices");
  const auto hotkey = MakeCounted<TMyHotkey>();
  hotkey->BindKeyboard(bindingServices);
  auto* context = ide.Make<fake::FakeKeyContext>("Context");
  ide.log.clear();

  TKeyBindingResult result = krUnhandled;
  bindingServices->calls[1].proc(context, 0x2009, result);
  EXPECT_EQ(result, krHandled);
  EXPECT_EQ(ide.CallsMatching("Indent"), Calls{"Block0.Indent(-4)"});
}

TEST(Register, HandsOneBindingToTheKeyboardServicesAndKeepsNoReference) {
  fake::FakeIde ide;
  Register();
  EXPECT_EQ(ide.log, (Calls{"Services.QueryInterface(IOTAKeyboardServices)",
                            "Services.AddKeyboardBinding"}));
  ASSERT_EQ(ide.services->bindings.size(), 1u);
  ComPtr<IOTAKeyboardBinding> binding = ide.services->bindings[0];
  EXPECT_EQ(binding->GetName(), "ZEB_Addin_HotKey");

  // The IDE's reference is the only one: dropping it frees the binding.
  auto* hotkey = dynamic_cast<TMyHotkey*>(binding.Get());
  ASSERT_NE(hotkey, nullptr);
  EXPECT_EQ(hotkey->RefCount(), 2);  // the IDE's and this test's

  // Finalisation removes the binding by the index the IDE gave.
  binding.Reset();
  ide.log.clear();
  FinalizeHotKeyMain2007();
  EXPECT_EQ(ide.log, (Calls{"Services.QueryInterface(IOTAKeyboardServices)",
                            "Services.RemoveKeyboardBinding(7)"}));
  EXPECT_TRUE(ide.services->bindings.empty());
  ide.log.clear();
  FinalizeHotKeyMain2007();  // a second finalisation has nothing left to remove
  EXPECT_TRUE(ide.log.empty());
}

TEST(Register, MissingKeyboardServicesRaisesAndLeavesNoBindingBehind) {
  fake::FakeIde ide;
  ide.refusedQueries.insert("Services:IOTAKeyboardServices");
  const std::int64_t before = fake::LiveReferences();
  EXPECT_THROW(Register(), EIntfCastError);
  EXPECT_TRUE(ide.services->bindings.empty());
  EXPECT_EQ(fake::LiveReferences(), before);
  ide.log.clear();
  FinalizeHotKeyMain2007();
  EXPECT_TRUE(ide.log.empty()) << "nothing was bound, so nothing is removed";
}

TEST(Register, FinalisationWithoutServicesRaisesNothing) {
  {
    fake::FakeIde ide;
    Register();
  }
  // The IDE is gone (no service provider): finalisation must still return quietly.
  EXPECT_NO_THROW(FinalizeHotKeyMain2007());
}

// The package's Finalize takes back what its units hold before the IDE unloads its code: the
// binding, and the trace viewer's connection, which would otherwise stay open with the process.
TEST(Finalize, RemovesTheBindingAndGivesTheViewersConnectionBack) {
  FakeTransport transport;
  const ScopedTransport scoped(transport);
  fake::FakeIde ide;
  Initialize();
  Register();
  TRACE("loaded");
  ASSERT_EQ(transport.sent.size(), 1u);
  Finalize();
  EXPECT_TRUE(ide.services->bindings.empty());
  EXPECT_EQ(transport.released, std::vector<TraceHandle>{transport.sent[0].viewer});
  EXPECT_EQ(CurrentTraceWindow(), 0u);
}

}  // namespace

}  // namespace zeb
