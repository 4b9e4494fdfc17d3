// addin-lines: an add-in package that edits text, for the ZEB IDE.
//
// Ctrl+Alt+D duplicates the lines of the block (the cursor's line without one) below them and
// selects the copy; Ctrl+Alt+S sorts the block's lines by their bytes, each line end staying
// where it was. Each key is one undo step, however many changes it makes. Both say what they
// did on the IDE's message line. In an IDE without the editing extension they pass the key on.
//
// The block's lines run from its first line to its last, leaving out a last line where the
// block ends at column 1, as the IDE's block commands count them.
#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "api/ComPtr.h"
#include "api/Export.h"
#include "api/ToolsAPI.h"
#include "api/ZebEditorAPI.h"
#include "runtime/IdeServices.h"
#include "runtime/KeyCodes.h"
#include "runtime/NotifierObject.h"

using namespace zeb;

namespace {

std::int32_t bindingIndex = -1;

// The top view through the editing extension, or null.
ComPtr<IZebEditView> TopView() {
  ComPtr<IOTAEditorServices> editors;
  if (!Supports(BorlandIDEServices, editors)) return {};
  return editors->GetTopView().TryAs<IZebEditView>();
}

void Say(const std::string& text) {
  ComPtr<IZebMessageServices> messages;
  if (Supports(BorlandIDEServices, messages)) messages->ShowMessage(text);
}

// The block's lines (the cursor's line without a block): first and last, from 1.
struct Lines {
  std::int32_t first;
  std::int32_t last;
};
Lines BlockLines(IZebEditView& view) {
  const TZebTextPos start = view.GetBlockStart();
  const TZebTextPos end = view.GetBlockEnd();
  const bool endsAtLineStart = end.Col == 1 && end.Line > start.Line;
  return {start.Line, endsAtLineStart ? end.Line - 1 : end.Line};
}

std::string Count(std::int32_t lines) {
  return std::to_string(lines) + (lines == 1 ? " line" : " lines");
}

void Duplicate(IZebEditView& view) {
  const ComPtr<IZebEditBuffer> buffer = view.GetBuffer();
  const Lines lines = BlockLines(view);
  const std::int64_t from = buffer->GetLineStart(lines.first);
  const std::int64_t textEnd = buffer->GetLineEnd(lines.last);
  const std::string text = buffer->GetText(from, textEnd - from);
  // The copy goes after the last line's line end; the file's last line has none, so the copy
  // brings one before it.
  if (lines.last < buffer->GetLineCount())
    buffer->Insert(buffer->GetLineStart(lines.last + 1),
                   text + buffer->GetText(textEnd, buffer->GetLineStart(lines.last + 1) - textEnd));
  else
    buffer->Insert(textEnd, buffer->GetLineBreak() + text);
  const std::int32_t count = lines.last - lines.first + 1;
  const std::int32_t copyFirst = lines.last + 1;
  const std::int32_t copyLast = copyFirst + count - 1;
  view.SetBlock({copyFirst, 1},
                {copyLast, static_cast<std::int32_t>(buffer->GetLine(copyLast).size()) + 1});
  Say("Duplicated " + Count(count));
}

void Sort(IZebEditView& view) {
  const ComPtr<IZebEditBuffer> buffer = view.GetBuffer();
  const Lines lines = BlockLines(view);
  std::vector<std::string> texts;
  std::vector<std::string> ends;  // each line's line end stays at its place
  for (std::int32_t line = lines.first; line <= lines.last; ++line) {
    texts.push_back(buffer->GetLine(line));
    const std::int64_t end = buffer->GetLineEnd(line);
    ends.push_back(line < lines.last ? buffer->GetText(end, buffer->GetLineStart(line + 1) - end)
                                     : std::string());
  }
  std::vector<std::string> sorted = texts;
  std::sort(sorted.begin(), sorted.end());
  if (sorted == texts) {
    Say("Already sorted");
    return;
  }
  std::string replacement;
  for (std::size_t i = 0; i < sorted.size(); ++i)
    replacement += sorted[i] + ends[i];
  const std::int64_t from = buffer->GetLineStart(lines.first);
  buffer->Replace(from, buffer->GetLineEnd(lines.last) - from, replacement);
  view.SetBlock({lines.first, 1},
                {lines.last, static_cast<std::int32_t>(buffer->GetLine(lines.last).size()) + 1});
  Say("Sorted " + Count(lines.last - lines.first + 1));
}

class TLinesBinding final : public TNotifierObject<IOTAKeyboardBinding> {
 public:
  TBindingType GetBindingType() override { return btPartial; }
  std::string GetDisplayName() override { return "Lines"; }
  std::string GetName() override { return "AddinLines"; }

  void BindKeyboard(IOTAKeyBindingServices* services) override {
    const TShiftState ctrlAlt = TShiftState::Ctrl | TShiftState::Alt;
    for (const TShortCut key : {ShortCut(vkD, ctrlAlt), ShortCut(vkS, ctrlAlt)})
      services->AddKeyBinding(std::span<const TShortCut>(&key, 1),
                              TKeyBindingProc::Of<&TLinesBinding::Handle>(this), nullptr, 0, "",
                              "");
  }

  void Handle(IOTAKeyContext*, TShortCut keyCode, TKeyBindingResult& result) {
    result = krNextProc;
    const ComPtr<IZebEditView> view = TopView();
    if (!view) return;
    if (keyCode == ShortCut(vkD, TShiftState::Ctrl | TShiftState::Alt))
      Duplicate(*view);
    else
      Sort(*view);
    result = krHandled;
  }
};

}  // namespace

extern "C" ZEB_EXPORT void Register() {
  const ComPtr<IOTAKeyboardBinding> binding = MakeCounted<TLinesBinding>();
  bindingIndex = BorlandIDEServices.As<IOTAKeyboardServices>()->AddKeyboardBinding(binding.Get());
}

extern "C" ZEB_EXPORT void Finalize() {
  ComPtr<IOTAKeyboardServices> keyboard;
  if (bindingIndex >= 0 && Supports(BorlandIDEServices, keyboard))
    keyboard->RemoveKeyboardBinding(bindingIndex);
  bindingIndex = -1;
}
