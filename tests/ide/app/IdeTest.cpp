#include "ide/app/Ide.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "ide/ota/LiveObjects.h"
#include "ide/text/Utf8Path.h"
#include "runtime/Exceptions.h"
#include "runtime/IdeServices.h"
#include "runtime/NotifierObject.h"
#include "testkit/TestSupport.h"

namespace zeb {
namespace {

using zeb::test::ReadFile;
using zeb::test::RecordingObserver;
using zeb::test::TempDir;
using zeb::test::WriteFile;

// A keyboard binding whose key procedure runs a test's function.
class TestBinding final : public TNotifierObject<IOTAKeyboardBinding> {
 public:
  using Action = std::function<TKeyBindingResult(TShortCut)>;
  TestBinding(TShortCut key, std::int32_t flags, Action action)
      : key_(key), flags_(flags), action_(std::move(action)) {}

  TBindingType GetBindingType() override { return btComplete; }
  std::string GetDisplayName() override { return "test"; }
  std::string GetName() override { return "test"; }
  void BindKeyboard(IOTAKeyBindingServices* services) override {
    services->AddKeyBinding(std::span<const TShortCut>(&key_, 1),
                            TKeyBindingProc::Of<&TestBinding::Handle>(this), nullptr, flags_, "",
                            "");
  }
  void Handle(IOTAKeyContext* context, TShortCut code, TKeyBindingResult& result) {
    EXPECT_NE(context, nullptr);
    result = action_(code);
  }

 private:
  TShortCut key_;
  std::int32_t flags_;
  Action action_;
};

// A keyboard binding whose BindKeyboard raises what is no exception class at all.
class UnbindableBinding final : public TNotifierObject<IOTAKeyboardBinding> {
 public:
  TBindingType GetBindingType() override { return btComplete; }
  std::string GetDisplayName() override { return "unbindable"; }
  std::string GetName() override { return "unbindable"; }
  void BindKeyboard(IOTAKeyBindingServices*) override { throw 7; }
};

std::int32_t Bind(Ide& ide, TShortCut key, TestBinding::Action action, std::int32_t flags = 7) {
  return ide.AddKeyboardBinding(MakeCounted<TestBinding>(key, flags, std::move(action)));
}

Ide::Options Options() {
  Ide::Options options;
  options.binDirectory = "/opt/zeb/bin";
  return options;
}

// The examples copied into a temporary folder.
struct Examples {
  TempDir dir;
  Examples() {
    for (const char* name : {"Unit1.pas", "Unit1.dfm", "Main.cpp", "Main.h"})
      std::filesystem::copy_file(std::string(ZEB_EXAMPLES_DIR) + "/" + name, dir / name);
  }
};

TEST(Ide, KeyHandlersRunInOrderUntilOneHandlesTheKey) {
  TempDir dir;
  WriteFile(dir / "a.pas", "abc\n");
  RecordingObserver observer;
  Ide ide(observer, Options());
  EditView& view = ide.Open(dir / "a.pas");

  std::string calls;
  TKeyBindingResult second = krNextProc;
  Bind(ide, 0x0009, [&](TShortCut) {
    calls += "1";
    return krNextProc;
  });
  const std::int32_t index = Bind(ide, 0x0009, [&](TShortCut) {
    calls += "2";
    return second;
  });
  Bind(ide, 0x0009, [&](TShortCut) {
    calls += "3";
    return krUnhandled;
  });

  second = krHandled;
  EXPECT_EQ(ide.PressKey(0x0009), KeyOutcome::Handled);
  EXPECT_EQ(calls, "12");
  EXPECT_EQ(view.GetDocument().Buffer().ToBytes(), "abc\n");

  calls.clear();
  second = krNextProc;
  EXPECT_EQ(ide.PressKey(0x0009), KeyOutcome::PassedOn);
  EXPECT_EQ(calls, "123");
  EXPECT_EQ(view.GetDocument().Buffer().ToBytes(), "\tabc\n");  // the editor's own Tab

  calls.clear();
  ide.RemoveKeyboardBinding(index);
  ide.RemoveKeyboardBinding(12345);  // unknown: ignored
  EXPECT_EQ(ide.PressKey(0x0009), KeyOutcome::PassedOn);
  EXPECT_EQ(calls, "13");

  EXPECT_EQ(ide.PressKey(0x2009), KeyOutcome::PassedOn);          // implicit shift reaches them
  EXPECT_EQ(view.GetDocument().Buffer().ToBytes(), "\t\tabc\n");  // Shift+Tab inserts nothing
  EXPECT_EQ(ide.PressKey(0x0041), KeyOutcome::NotBound);
  EXPECT_EQ(view.GetDocument().Buffer().ToBytes(), "\t\taabc\n");  // "a" typed at the cursor
}

TEST(Ide, AnExceptionFromAKeyProcedureStaysInside) {
  TempDir dir;
  WriteFile(dir / "a.pas", "abc\n");
  RecordingObserver observer;
  Ide ide(observer, Options());
  EditView& view = ide.Open(dir / "a.pas");
  bool secondRan = false;
  Bind(ide, 0x0009, [](TShortCut) -> TKeyBindingResult { throw EConvertError("bad digits"); });
  Bind(ide, 0x0009, [&](TShortCut) {
    secondRan = true;
    return krNextProc;
  });
  Bind(ide, 0x0042, [](TShortCut) -> TKeyBindingResult { throw 42; });

  EXPECT_EQ(ide.PressKey(0x0009), KeyOutcome::Faulted);
  ASSERT_EQ(observer.faults.size(), 1u);
  EXPECT_EQ(observer.faults[0].className, "EConvertError");
  EXPECT_EQ(observer.faults[0].message, "bad digits");
  EXPECT_EQ(observer.faults[0].where, "key Tab 0x0009 in binding test");
  EXPECT_FALSE(secondRan);
  EXPECT_EQ(view.GetDocument().Buffer().ToBytes(), "abc\n");  // nothing further happened

  EXPECT_EQ(ide.PressKey(0x0042), KeyOutcome::Faulted);
  ASSERT_EQ(observer.faults.size(), 2u);
  EXPECT_FALSE(observer.faults[1].className.empty());
  // So does one from binding the keys.
  ide.AddKeyboardBinding(MakeCounted<UnbindableBinding>());
  EXPECT_EQ(ide.PressKey(0x0043), KeyOutcome::NotBound);  // the IDE goes on
  ASSERT_EQ(observer.faults.size(), 3u);
  EXPECT_EQ(observer.faults[2].where, "BindKeyboard of binding unbindable");
  EXPECT_EQ(view.GetDocument().Buffer().ToBytes(), "cabc\n");
}

// A procedure may remove its own binding, and press keys, while it runs: the handlers of the
// press stay whole until it is over.
TEST(Ide, KeyProceduresMayRemoveBindingsAndPressKeys) {
  TempDir dir;
  WriteFile(dir / "a.pas", "abc\n");
  RecordingObserver observer;
  Ide ide(observer, Options());
  ide.Open(dir / "a.pas");
  std::string calls;
  std::int32_t first = -1;
  first = Bind(ide, 0x0009, [&](TShortCut) {
    calls += "1";
    ide.RemoveKeyboardBinding(first);
    return krNextProc;
  });
  Bind(ide, 0x0009, [&](TShortCut) {
    calls += "2";
    EXPECT_EQ(ide.PressKey(0x0041), KeyOutcome::Handled);
    return krNextProc;
  });
  Bind(ide, 0x0041, [&](TShortCut) {
    calls += "3";
    return krHandled;
  });
  ide.BuildKeyMap();
  const std::int64_t live = LiveObjects::Count();
  EXPECT_EQ(ide.PressKey(0x0009), KeyOutcome::PassedOn);
  EXPECT_EQ(calls, "123");
  calls.clear();
  EXPECT_EQ(ide.PressKey(0x0009), KeyOutcome::PassedOn);
  EXPECT_EQ(calls, "23");
  EXPECT_EQ(LiveObjects::Count(), live);
}

// The IDE hands its objects out again once they are released, never while they are held, and
// the ones it keeps for that do not keep a closed view alive.
TEST(Ide, InterfaceObjectsGoOutAgainOnlyOnceReleased) {
  TempDir dir;
  WriteFile(dir / "a.pas", "abc\n");
  RecordingObserver observer;
  Ide ide(observer, Options());
  ide.Open(dir / "a.pas");
  const auto editorServices = BorlandIDEServices.As<IOTAEditorServices>();
  const std::int64_t live = LiveObjects::Count();

  IOTAEditView* first = nullptr;
  {
    const ComPtr<IOTAEditView> held = editorServices->GetTopView();
    std::vector<ComPtr<IOTAEditView>> more;  // more at once than the IDE keeps for reuse
    for (int i = 0; i < 5; ++i) {
      more.push_back(editorServices->GetTopView());
      EXPECT_NE(more.back().Get(), held.Get());
    }
    EXPECT_EQ(LiveObjects::Count(), live + 6);
    first = held.Get();
  }
  EXPECT_EQ(LiveObjects::Count(), live);
  EXPECT_EQ(editorServices->GetTopView().Get(), first);

  const std::weak_ptr<EditView> closed = ide.TopView();
  {
    // Objects of every kind the IDE keeps for a view, taken and given back before it closes.
    const ComPtr<IOTAEditView> view = editorServices->GetTopView();
    EXPECT_TRUE(view->GetBlock());
    EXPECT_TRUE(view->GetPosition());
  }
  ComPtr<IOTAEditView> held = editorServices->GetTopView();
  ide.CloseView(ide.TopView());
  EXPECT_EQ(held->GetCursorPos().Line, 1);  // still answers
  held.Reset();
  EXPECT_TRUE(closed.expired());
  EXPECT_EQ(LiveObjects::Count(), live);
}

TEST(Ide, ModulesGatherCompanionsAndViewsTrackTheTop) {
  Examples ex;
  RecordingObserver observer;
  Ide ide(observer, Options());
  EditView& header = ide.Open(ex.dir / "Main.h");
  const auto module = ide.CurrentModule();
  ASSERT_TRUE(module);
  EXPECT_EQ(PathFromUtf8(module->FileName()), PathFromUtf8(ex.dir / "Main.cpp"));
  ASSERT_EQ(module->FileCount(), 2u);
  EXPECT_EQ(&header.GetDocument(), module->File(1).get());
  EXPECT_EQ(ide.TopView().get(), &header);

  EditView& pascal = ide.Open(ex.dir / "Unit1.dfm");
  EXPECT_EQ(PathFromUtf8(ide.CurrentModule()->FileName()), PathFromUtf8(ex.dir / "Unit1.pas"));
  EXPECT_EQ(ide.CurrentModule()->DesignerType(), "VCL");
  EXPECT_EQ(ide.Modules().size(), 2u);

  EditView& again = ide.Open(ex.dir / "Main.h");  // switches back: the same view
  EXPECT_EQ(&again, &header);
  EditView& split = ide.Split();
  EXPECT_NE(&split, &header);
  EXPECT_EQ(ide.ViewsOf(header.GetDocument()).size(), 2u);
  EXPECT_EQ(ide.ShowFile(ex.dir / "Unit1.dfm").GetDocument().Path(), pascal.GetDocument().Path());
  EXPECT_THROW(ide.ShowFile(ex.dir / "Other.pas"), EInvalidOperation);
  EXPECT_THROW(ide.Open(ex.dir / "Other.pas"), EInOutError);
}

// A new file is made at its first save; an untitled text only under a name of its own.
TEST(Ide, NewDocumentsHaveNoFileUntilTheyAreSaved) {
  TempDir dir;
  WriteFile(dir / "old.pas", "x\n");
  RecordingObserver observer;
  Ide ide(observer, Options());
  EditView& view = ide.New(dir / "new.pas");
  Document& document = view.GetDocument();
  EXPECT_EQ(PathFromUtf8(document.Path()), PathFromUtf8(dir / "new.pas"));
  EXPECT_EQ(document.ByteSize(), 0u);
  EXPECT_FALSE(document.Modified());
  EXPECT_EQ(document.CheckDisk(), Document::DiskState::Unchanged) << "no file is no news";
  EXPECT_FALSE(std::filesystem::exists(dir / "new.pas"));
  EXPECT_EQ(&ide.New(dir / "new.pas"), &view) << "open already: switched to";
  view.InsertText("unit New;\n");
  document.Save();
  EXPECT_EQ(ReadFile(dir / "new.pas"), "unit New;\n");

  EXPECT_THROW(ide.New(dir / "old.pas"), EInOutError);
  EXPECT_THROW(ide.New(dir / "no folder/x.pas"), EInOutError);
  EXPECT_EQ(ide.Modules().size(), 1u) << "a refused file opens nothing";

  EditView& untitled = ide.New();
  EXPECT_EQ(untitled.GetDocument().Path(), "");
  EXPECT_EQ(ide.TopView().get(), &untitled);
  untitled.InsertText("u");
  EXPECT_THROW(untitled.GetDocument().Save(), EInOutError);
  untitled.GetDocument().SaveAs(dir / "named.pas");
  EXPECT_EQ(ReadFile(dir / "named.pas"), "u");
  EXPECT_FALSE(untitled.GetDocument().Modified());
}

// Tab that no procedure takes: a tab, or spaces to the next stop counted in columns as drawn.
TEST(Ide, TabInsertsATabOrSpacesToTheNextTabStop) {
  const struct {
    const char* line;
    std::int32_t col;  // the cursor's byte column
    std::int32_t width;
    bool spaces;
    const char* after;
  } cases[] = {
      {"ab", 3, 8, false, "ab\t"},
      {"ab", 3, 8, true, "ab      "},
      {"ab", 3, 4, true, "ab  "},
      {"abcd", 5, 4, true, "abcd    "},                 // at a stop: a whole tab's width
      {"\tx", 3, 4, true, "\tx   "},                    // the tab reaches column 4
      {"\xED\x95\x9C", 4, 4, true, "\xED\x95\x9C   "},  // one character, three bytes
  };
  TempDir dir;
  for (const auto& c : cases) {
    WriteFile(dir / "t.cpp", c.line);
    RecordingObserver observer;
    Ide ide(observer, Options());
    ide.SetTabWidth(c.width);
    ide.SetTabInsertsSpaces(c.spaces);
    EditView& view = ide.Open(dir / "t.cpp");
    view.SetCursor({1, c.col});
    EXPECT_EQ(ide.PressKey(0x0009), KeyOutcome::NotBound);
    EXPECT_EQ(view.GetDocument().LineText(1), c.after) << c.line << " width " << c.width;
  }
}

// The tab width reaches the views open and those opened after; unindenting counts with it.
TEST(Ide, TheTabWidthReachesEveryView) {
  TempDir dir;
  WriteFile(dir / "t.cpp", "\tx\n");
  RecordingObserver observer;
  Ide ide(observer, Options());
  EditView& first = ide.Open(dir / "t.cpp");
  ide.SetTabWidth(4);
  EXPECT_EQ(first.TabWidth(), 4);
  EXPECT_EQ(ide.Split().TabWidth(), 4);
  first.Select({1, 1}, {1, 3});
  first.IndentBlock(-2);
  EXPECT_EQ(first.GetDocument().LineText(1), "  x") << "a tab of 4 columns, less 2";
  for (const std::int32_t bad : {0, -1, Ide::kMaxTabWidth + 1})
    EXPECT_THROW(ide.SetTabWidth(bad), EInvalidOperation) << bad;
  EXPECT_EQ(ide.TabWidth(), 4);
}

// An edit in one view leaves the other views of the document inside its text, even one that
// only takes bytes out of a line: their cursor and block move back to the line's new end.
TEST(Ide, OtherViewsOfADocumentStayInsideItsText) {
  TempDir dir;
  WriteFile(dir / "t.pas", "abcdef\nxy\n");
  RecordingObserver observer;
  Ide ide(observer, Options());
  EditView& first = ide.Open(dir / "t.pas");
  EditView& second = ide.Split();
  ASSERT_TRUE(second.Select({1, 5}, {1, 7}));
  ASSERT_TRUE(first.Select({1, 2}, {1, 5}));
  first.InsertText("");
  EXPECT_EQ(first.GetDocument().LineText(1), "aef");
  EXPECT_EQ(second.BlockStart(), (TextPos{1, 4}));
  EXPECT_EQ(second.Cursor(), (TextPos{1, 4}));
}

// The add-in itself, loaded as the IDE loads it.
TEST(Ide, TheAddinIndentsReportsAndReleasesEverything) {
  Examples ex;
  const std::int64_t liveBefore = LiveObjects::Count();
  {
    RecordingObserver observer;
    Ide ide(observer, Options());
    ASSERT_TRUE(ide.LoadPackage(ZEB_ADDIN_PATH)) << observer.messages.at(0);
    EXPECT_EQ(ide.KeyboardBindingCount(), 1u);

    EditView& unit = ide.Open(ex.dir / "Unit1.pas");
    const std::string original = unit.GetDocument().Buffer().ToBytes();
    ASSERT_TRUE(unit.Select({22, 1}, {25, 1}));
    ide.BuildKeyMap();
    EXPECT_EQ(ide.Keys().Size(), 3u);
    const std::int64_t live = LiveObjects::Count();

    EXPECT_EQ(ide.PressKey(0x0009), KeyOutcome::Handled);
    EXPECT_EQ(unit.GetDocument().LineText(22), "  Caption := 'Hello';");
    EXPECT_EQ(unit.GetDocument().LineText(25), "end;");
    EXPECT_EQ(observer.paints, 1);
    EXPECT_EQ(LiveObjects::Count(), live);  // every object the add-in took is released

    EXPECT_EQ(ide.PressKey(0x2009), KeyOutcome::Handled);  // Shift+Tab unindents
    EXPECT_EQ(unit.GetDocument().Buffer().ToBytes(), original);

    unit.Deselect();
    EXPECT_EQ(ide.PressKey(0x0009), KeyOutcome::PassedOn);
    EXPECT_EQ(unit.GetDocument().LineText(25), "\tend;");
    EXPECT_EQ(LiveObjects::Count(), live);

    EXPECT_EQ(ide.PressKey(0xE055), KeyOutcome::Handled);  // Ctrl+Alt+Shift+U
    ASSERT_EQ(observer.dialogCaptions.size(), 1u);
    EXPECT_EQ(observer.dialogCaptions[0], "Information...");
    ASSERT_EQ(observer.dialogLines.size(), 29u) << testing::PrintToString(observer.dialogLines);
    EXPECT_EQ(observer.dialogLines[12], "CurrentModule.Editor.Modified : true");
    EXPECT_EQ(observer.dialogLines[28], "EditView.Position.LastRow : 28");
    EXPECT_EQ(Application->ComponentCount(), 0u);  // the dialog was freed
    EXPECT_EQ(LiveObjects::Count(), live);

    // The magnitude follows the module's source file, the block is the top view's.
    ide.Open(ex.dir / "Main.cpp");
    EditView& header = ide.ShowFile(ex.dir / "Main.h");
    ASSERT_TRUE(header.Select({3, 1}, {4, 1}));
    EXPECT_EQ(ide.PressKey(0x0009), KeyOutcome::Handled);
    EXPECT_EQ(header.GetDocument().LineText(3), "    int Sum(int a, int b);");

    EXPECT_TRUE(observer.faults.empty());
    ide.UnloadPackages();
    EXPECT_EQ(ide.KeyboardBindingCount(), 0u);  // Finalize removed the binding
    EXPECT_EQ(ide.Keys().Size(), 0u);
    EXPECT_TRUE(ide.Packages().empty());
  }
  EXPECT_FALSE(BorlandIDEServices);
  EXPECT_EQ(LiveObjects::Count(), liveBefore);
}

}  // namespace
}  // namespace zeb
