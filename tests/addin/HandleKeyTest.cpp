// HandleKey: which command each key code runs and what the IDE is told.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "addin/hotkeys/MyHotkey.h"
#include "runtime/Exceptions.h"
#include "tests/addin/FakeIde.h"

namespace zeb {

namespace {

enum class Command { None, IndentPlus, IndentMinus, Dialog, LowerCase };

struct Expected {
  Command command;
  TKeyBindingResult result;
};

// The dispatch table, written from the key code's bits alone.
Expected ExpectedFor(std::uint32_t code, bool blockValid) {
  const std::uint32_t key = code & 0x1FFF;
  const bool shift = (code & 0x2000) != 0;
  const bool ctrl = (code & 0x4000) != 0;
  const bool alt = (code & 0x8000) != 0;
  if (key == 0x09) {
    const Command c = shift ? Command::IndentMinus : Command::IndentPlus;
    return {blockValid ? c : Command::None, blockValid ? krHandled : krNextProc};
  }
  if (ctrl && alt && key == 0x55) return {Command::Dialog, krHandled};
  if (ctrl && alt && shift && key == 0x4C) return {Command::LowerCase, krHandled};
  return {Command::None, krNextProc};
}

Command CommandRun(const fake::FakeIde& ide) {
  Command c = Command::None;
  int seen = 0;
  if (ide.CountCalls("Block0.Indent(2)") == 1) c = Command::IndentPlus, ++seen;
  if (ide.CountCalls("Block0.Indent(-2)") == 1) c = Command::IndentMinus, ++seen;
  if (ide.CountCalls("Block0.LowerCase") == 1) c = Command::LowerCase, ++seen;
  if (ide.presenter.shown.size() == 1) c = Command::Dialog, ++seen;
  EXPECT_LE(seen, 1) << "more than one command ran";
  return c;
}

TEST(HandleKey, EveryKeyCodeRunsTheCommandOfTheDispatchTable) {
  for (const bool blockValid : {true, false}) {
    for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
      fake::FakeIde ide;
      ide.SetUpSourceModule("Unit1.pas");
      ide.block->valid = blockValid;
      const std::int64_t before = fake::LiveReferences();
      const auto hotkey = MakeCounted<TMyHotkey>();

      auto result = static_cast<TKeyBindingResult>(99);
      hotkey->HandleKey(nullptr, static_cast<TShortCut>(code), result);

      const Expected expected = ExpectedFor(code, blockValid);
      ASSERT_EQ(result, expected.result) << std::hex << "code 0x" << code;
      ASSERT_EQ(CommandRun(ide), expected.command) << std::hex << "code 0x" << code;
      if (expected.command == Command::None && (code & 0x1FFF) != 0x09) {
        ASSERT_TRUE(ide.log.empty()) << std::hex << "code 0x" << code << " touched the IDE";
      }
      ASSERT_EQ(fake::LiveReferences(), before) << std::hex << "code 0x" << code;
    }
  }
}

TEST(HandleKey, ExceptionFromACommandLeavesNextProcAndReachesTheCaller) {
  fake::FakeIde ide;
  ide.SetUpSourceModule("Unit1.pas");
  ide.block->valid = true;
  ide.raiseOn.insert("Block0.Indent(2)");
  const std::int64_t before = fake::LiveReferences();
  {
    const auto hotkey = MakeCounted<TMyHotkey>();
    TKeyBindingResult result = krUnhandled;
    EXPECT_THROW(hotkey->HandleKey(nullptr, 0x0009, result), fake::InjectedFault);
    EXPECT_EQ(result, krNextProc);
  }
  EXPECT_EQ(fake::LiveReferences(), before);
}

TEST(HandleKey, MissingEditorServicesRaisesFromTabAndLeavesTheBlockAlone) {
  fake::FakeIde ide;
  ide.SetUpSourceModule("Main.cpp");
  ide.block->valid = true;
  ide.refusedQueries.insert("Services:IOTAEditorServices");
  const std::int64_t before = fake::LiveReferences();
  {
    const auto hotkey = MakeCounted<TMyHotkey>();
    TKeyBindingResult result = krUnhandled;
    EXPECT_THROW(hotkey->HandleKey(nullptr, 0x0009, result), EIntfCastError);
    EXPECT_EQ(result, krNextProc);
  }
  EXPECT_TRUE(ide.CallsMatching("Indent").empty());
  EXPECT_EQ(fake::LiveReferences(), before);
}

TEST(HandleKey, DialogThatFailsWhileBeingCreatedStillOpensAndCountsAsHandled) {
  fake::FakeIde ide;
  ide.SetUpSourceModule("Unit1.pas");
  ide.refusedQueries.insert("Services:IOTAEditorServices");
  const std::int64_t before = fake::LiveReferences();
  {
    const auto hotkey = MakeCounted<TMyHotkey>();
    TKeyBindingResult result = krUnhandled;
    hotkey->HandleKey(nullptr, 0xC055, result);
    EXPECT_EQ(result, krHandled);
  }
  ASSERT_EQ(ide.presenter.shown.size(), 1u);
  EXPECT_EQ(ide.presenter.shown[0].lines.size(), 20u);  // no sub-views: lines 1 to 21 but 20
  ASSERT_EQ(ide.faults.size(), 1u);
  EXPECT_EQ(ide.faults[0], "EIntfCastError: Interface not supported: IOTAEditorServices");
  EXPECT_EQ(fake::LiveReferences(), before);
  EXPECT_EQ(Application->ComponentCount(), 0u) << "the dialog was not freed";
}

TEST(HandleKey, DialogWhoseDisplayRaisesIsFreedAndTheErrorReachesTheCaller) {
  fake::FakeIde ide;
  ide.SetUpSourceModule("Unit1.pas");
  ide.presenter.raise = true;
  const auto hotkey = MakeCounted<TMyHotkey>();
  TKeyBindingResult result = krUnhandled;
  EXPECT_THROW(hotkey->HandleKey(nullptr, 0xE055, result), fake::InjectedFault);
  EXPECT_EQ(result, krNextProc);
  EXPECT_EQ(Application->ComponentCount(), 0u);
}

}  // namespace

}  // namespace zeb
