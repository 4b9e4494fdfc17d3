// The editing extension as an add-in uses it, through BorlandIDEServices, over the IDE's own
// editor: reading and changing bytes (CRLF and multi-byte text), the block's ends, undo as one
// step, the modules, notifiers and the message line.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "api/ZebEditorAPI.h"
#include "ide/app/Ide.h"
#include "runtime/IdeServices.h"
#include "runtime/NotifierObject.h"
#include "testkit/TestSupport.h"

namespace zeb {
namespace {

using zeb::test::ReadFile;
using zeb::test::RecordingObserver;
using zeb::test::TempDir;
using zeb::test::WriteFile;

// "héllo" and "wörld", CRLF line ends: é and ö are two bytes each.
const std::string kText = "h\xC3\xA9llo\r\nw\xC3\xB6rld\r\n";

ComPtr<IZebEditView> TopView() {
  return BorlandIDEServices.As<IOTAEditorServices>()->GetTopView().TryAs<IZebEditView>();
}

ComPtr<IZebEditBuffer> SourceBuffer() {
  const auto modules = BorlandIDEServices.TryAs<IOTAModuleServices>();
  return modules->CurrentModule()->GetModuleFileEditor(0).TryAs<IZebEditBuffer>();
}

// A keyboard binding whose one key runs a test's function.
class Binding final : public TNotifierObject<IOTAKeyboardBinding> {
 public:
  Binding(TShortCut key, std::function<void()> action) : key_(key), action_(std::move(action)) {}
  TBindingType GetBindingType() override { return btPartial; }
  std::string GetDisplayName() override { return "test"; }
  std::string GetName() override { return "test"; }
  void BindKeyboard(IOTAKeyBindingServices* services) override {
    services->AddKeyBinding(std::span<const TShortCut>(&key_, 1),
                            TKeyBindingProc::Of<&Binding::Handle>(this), nullptr, 0, "", "");
  }
  void Handle(IOTAKeyContext*, TShortCut, TKeyBindingResult& result) {
    action_();
    result = krHandled;
  }

 private:
  TShortCut key_;
  std::function<void()> action_;
};

struct Fixture {
  TempDir dir;
  RecordingObserver observer;
  Ide ide{observer};
  EditView* view = nullptr;
  explicit Fixture(const std::string& text = kText) {
    WriteFile(dir / "a.pas", text);
    view = &ide.Open(dir / "a.pas");
  }
  std::string Text() const { return view->GetDocument().Buffer().ToBytes(); }
};

TEST(EditBuffer, ReadsLinesAndPlacesInBytes) {
  Fixture f;
  const auto buffer = SourceBuffer();
  ASSERT_TRUE(buffer);
  EXPECT_EQ(buffer->GetSize(), 16);
  EXPECT_EQ(buffer->GetLineCount(), 3);  // the empty line after the last line end
  EXPECT_EQ(buffer->GetLineBreak(), "\r\n");
  const struct {
    std::int32_t line;
    const char* text;
    std::int64_t start, end;
  } lines[] = {
      {1, "h\xC3\xA9llo", 0, 6}, {2, "w\xC3\xB6rld", 8, 14}, {3, "", 16, 16}, {0, "", -1, -1},
      {4, "", -1, -1},
  };
  for (const auto& row : lines) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(buffer->GetLine(row.line), row.text);
    EXPECT_EQ(buffer->GetLineStart(row.line), row.start);
    EXPECT_EQ(buffer->GetLineEnd(row.line), row.end);
  }
  const struct {
    std::int64_t offset;
    std::int32_t line, col;  // {0, 0} outside the text
  } places[] = {
      {0, 1, 1}, {2, 1, 3},  {6, 1, 7},  {7, 1, 8},  // the LF of CRLF is still line 1's
      {8, 2, 1}, {16, 3, 1}, {17, 0, 0}, {-1, 0, 0},
  };
  for (const auto& row : places) {
    SCOPED_TRACE(row.offset);
    const TZebTextPos place = buffer->GetPlace(row.offset);
    EXPECT_EQ(place, (TZebTextPos{row.line, row.col}));
    EXPECT_EQ(buffer->GetLineOf(row.offset), row.line);
  }
  EXPECT_EQ(buffer->GetOffset({2, 7}), 14);  // the end of line 2's text
  EXPECT_EQ(buffer->GetOffset({2, 8}), -1);  // past it
  EXPECT_EQ(buffer->GetOffset({4, 1}), -1);  // no such line
  EXPECT_EQ(buffer->GetText(1, 2), "\xC3\xA9");
  EXPECT_EQ(buffer->GetText(14, 100), "\r\n");  // cut at the end
  EXPECT_EQ(buffer->GetText(17, 1), "");
}

TEST(EditBuffer, ChangesBytesOrRefusesWithNothingChanged) {
  const struct {
    const char* name;
    std::function<bool(IZebEditBuffer&)> change;
    bool done;
    std::string text;
  } rows[] = {
      {"insert a line before line 2",
       [](IZebEditBuffer& b) { return b.Insert(b.GetLineStart(2), "new" + b.GetLineBreak()); },
       true, "h\xC3\xA9llo\r\nnew\r\nw\xC3\xB6rld\r\n"},
      {"insert at the very end", [](IZebEditBuffer& b) { return b.Insert(16, "!"); }, true,
       kText + "!"},
      {"delete a multi-byte character", [](IZebEditBuffer& b) { return b.Delete(1, 2); }, true,
       "hllo\r\nw\xC3\xB6rld\r\n"},
      {"replace a CRLF by an LF", [](IZebEditBuffer& b) { return b.Replace(6, 2, "\n"); }, true,
       "h\xC3\xA9llo\nw\xC3\xB6rld\r\n"},
      {"replace the whole text", [](IZebEditBuffer& b) { return b.Replace(0, 16, "x"); }, true,
       "x"},
      {"delete past the end", [](IZebEditBuffer& b) { return b.Delete(15, 2); }, false, kText},
      {"insert outside", [](IZebEditBuffer& b) { return b.Insert(17, "x"); }, false, kText},
      {"negative count", [](IZebEditBuffer& b) { return b.Replace(0, -1, "x"); }, false, kText},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Fixture f;
    EXPECT_EQ(row.change(*SourceBuffer()), row.done);
    EXPECT_EQ(f.Text(), row.text);
    EXPECT_EQ(f.view->GetDocument().History().UndoCount(), row.done ? 1u : 0u);
  }
}

TEST(EditView, BlockEndsCursorAndBlockTextInBytes) {
  Fixture f;
  const auto view = TopView();
  ASSERT_TRUE(view);
  EXPECT_EQ(view->GetBlockText(), "");
  EXPECT_TRUE(view->SetCursor({2, 3}));
  EXPECT_EQ(view->GetBlockStart(), (TZebTextPos{2, 3}));  // no block: both ends are the cursor
  EXPECT_EQ(view->GetBlockEnd(), (TZebTextPos{2, 3}));
  // Selected backwards: the cursor is at `to`, the start before the end.
  EXPECT_TRUE(view->SetBlock({3, 1}, {1, 2}));
  EXPECT_EQ(view->GetCursor(), (TZebTextPos{1, 2}));
  EXPECT_EQ(view->GetBlockStart(), (TZebTextPos{1, 2}));
  EXPECT_EQ(view->GetBlockEnd(), (TZebTextPos{3, 1}));
  EXPECT_EQ(view->GetBlockText(), kText.substr(1));
  EXPECT_TRUE(BorlandIDEServices.As<IOTAEditorServices>()->GetTopView()->GetBlock()->GetIsValid());
  // Places not in the text change nothing.
  EXPECT_FALSE(view->SetBlock({1, 1}, {1, 8}));
  EXPECT_FALSE(view->SetCursor({4, 1}));
  EXPECT_EQ(view->GetBlockText(), kText.substr(1));
  EXPECT_TRUE(view->SetBlock({2, 1}, {2, 1}));  // an empty block is none
  EXPECT_EQ(view->GetBlockText(), "");
}

// The record's column is 16-bit by the interface's definition; the extension's is not.
TEST(EditView, ColumnsPastSixteenBitsAreWholeInTheExtension) {
  Fixture f(std::string(40000, 'x') + "\n");
  f.view->SetCursor({1, 40000});
  const auto view = BorlandIDEServices.As<IOTAEditorServices>()->GetTopView();
  EXPECT_EQ(view->GetCursorPos().Col, 32767);
  EXPECT_EQ(view->GetPosition()->GetColumn(), 40000);
  EXPECT_EQ(view.TryAs<IZebEditView>()->GetCursor().Col, 40000);
}

TEST(UndoGroup, AKeyPressOrAnExplicitGroupIsOneUndoStep) {
  Fixture f;
  // Duplicates line 1 and lower-cases... two changes in one press, then selects the copy.
  f.ide.AddKeyboardBinding(MakeCounted<Binding>(TShortCut{0xC044}, [] {
    const auto view = TopView();
    const auto buffer = view->GetBuffer();
    const std::string line = buffer->GetLine(1) + buffer->GetLineBreak();
    buffer->Insert(buffer->GetLineStart(2), line);
    buffer->Replace(0, 1, "H");
    view->SetBlock({2, 1}, {3, 1});
  }));
  f.view->SetCursor({1, 3});
  EXPECT_EQ(f.ide.PressKey(0xC044), KeyOutcome::Handled);
  const std::string pressed = "H\xC3\xA9llo\r\nh\xC3\xA9llo\r\nw\xC3\xB6rld\r\n";
  EXPECT_EQ(f.Text(), pressed);
  EXPECT_TRUE(f.view->Undo());
  EXPECT_EQ(f.Text(), kText);
  EXPECT_EQ(f.view->Cursor(), (TextPos{1, 3}));  // the view as it was before the press
  EXPECT_FALSE(f.view->Undo());
  EXPECT_TRUE(f.view->Redo());
  EXPECT_EQ(f.Text(), pressed);
  EXPECT_FALSE(f.view->Redo());

  // Outside a key press: a group makes one step of what is changed in it; a group the add-in
  // leaves open in a key press is closed when the press ends.
  const auto buffer = SourceBuffer();
  buffer->BeginUndoGroup();
  buffer->Insert(0, "a");
  buffer->BeginUndoGroup();  // groups nest
  buffer->Insert(0, "b");
  buffer->EndUndoGroup();
  buffer->Insert(0, "c");
  buffer->EndUndoGroup();
  buffer->EndUndoGroup();  // one too many: ignored
  f.ide.AddKeyboardBinding(MakeCounted<Binding>(TShortCut{0xC04F}, [] {
    SourceBuffer()->BeginUndoGroup();
    SourceBuffer()->Insert(0, "o");
  }));
  f.ide.PressKey(0xC04F);
  buffer->Insert(0, "z");
  EXPECT_EQ(f.Text(), "zocba" + pressed);
  EXPECT_TRUE(f.view->Undo());
  EXPECT_EQ(f.Text(), "ocba" + pressed);
  EXPECT_TRUE(f.view->Undo());
  EXPECT_EQ(f.Text(), "cba" + pressed);
  EXPECT_TRUE(f.view->Undo());
  EXPECT_EQ(f.Text(), pressed);
}

// A path's file name, whichever the system's separator.
std::string Base(const std::string& path) {
  return path.substr(path.find_last_of("/\\") + 1);
}

// Notifiers hear of files and views; the message line reaches the front end.
class Recorder final : public TInterfacedObject<IZebEditorNotifier> {
 public:
  void FileOpened(const std::string& name) override { events.push_back("opened " + Base(name)); }
  void FileSaved(const std::string& name) override {
    events.push_back("saved " + Base(name));
    if (onSave) onSave();
  }
  void FileClosed(const std::string& name) override { events.push_back("closed " + Base(name)); }
  void TopViewChanged(IOTAEditView* view) override {
    const auto own = ComPtr<IOTAEditView>::Borrow(view).TryAs<IZebEditView>();
    events.push_back("top view at line " + std::to_string(own->GetCursor().Line));
  }
  std::vector<std::string> events;
  std::function<void()> onSave;  // run after the event is recorded
};

TEST(ModulesNotifiersAndMessages, AreReachedFromTheServices) {
  Fixture f;
  WriteFile(f.dir / "b.pas", "unit b;\n");
  WriteFile(f.dir / "b.dfm", "object B\n");
  const auto recorder = MakeCounted<Recorder>();
  const auto notifiers = BorlandIDEServices.TryAs<IZebNotifierServices>();
  ASSERT_TRUE(notifiers);
  const std::int32_t index = notifiers->AddNotifier(recorder.Get());

  const auto modules = BorlandIDEServices.TryAs<IZebModuleServices>();
  std::string error;
  const auto opened = modules->OpenModule(f.dir / "b.dfm", error);
  ASSERT_TRUE(opened) << error;
  EXPECT_EQ(opened->GetModuleFileCount(), 2);
  EXPECT_EQ(Base(modules->GetModule(1)->GetModuleFileEditor(0)->GetFileName()), "b.pas");
  EXPECT_FALSE(modules->GetModule(2));
  EXPECT_FALSE(modules->OpenModule(f.dir / "none.pas", error));
  EXPECT_NE(error.find("none.pas"), std::string::npos) << error;

  f.view->SetCursor({2, 1});
  f.ide.Activate(f.ide.ViewsOf(f.view->GetDocument())[0]);
  SourceBuffer()->Insert(0, "x");
  f.view->GetDocument().Save();
  f.ide.CloseView(f.ide.TopView());
  notifiers->RemoveNotifier(index);
  f.ide.Open(f.dir / "b.pas");  // heard by no one

  const std::vector<std::string> expected = {
      "opened b.pas",       "opened b.dfm", "top view at line 1",
      "top view at line 2", "saved a.pas",  "closed a.pas",
  };
  EXPECT_EQ(recorder->events, expected);

  BorlandIDEServices.As<IZebMessageServices>()->ShowMessage("hello");
  ASSERT_FALSE(f.observer.messages.empty());
  EXPECT_EQ(f.observer.messages.back(), "hello");
}

// What a notifier changes is a step of its own, even when it leaves its undo group open: the
// user's next change must not join it.
TEST(UndoGroup, AGroupANotifierLeavesOpenIsClosedWhenItReturns) {
  Fixture f;
  const auto recorder = MakeCounted<Recorder>();
  recorder->onSave = [] {
    SourceBuffer()->BeginUndoGroup();
    SourceBuffer()->Insert(0, "n");
  };
  const auto notifiers = BorlandIDEServices.As<IZebNotifierServices>();
  const std::int32_t index = notifiers->AddNotifier(recorder.Get());
  f.view->GetDocument().Save();
  notifiers->RemoveNotifier(index);
  f.view->SetCursor({1, 1});
  f.view->InsertText("u");
  EXPECT_EQ(f.Text(), "un" + kText);
  EXPECT_TRUE(f.view->Undo());
  EXPECT_EQ(f.Text(), "n" + kText);
  EXPECT_TRUE(f.view->Undo());
  EXPECT_EQ(f.Text(), kText);
}

}  // namespace
}  // namespace zeb
