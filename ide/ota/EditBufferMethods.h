// EditBufferMethods: IZebEditBuffer over one of the editor's texts (EditorSeam::Text), for the
// objects that answer it: a source editor (its file's text) and an edit view (the text it
// shows). Derived gives the text now (`BufferText()`, null when there is none any more) and the
// editor (`Editor()`, null once the IDE has gone); what cannot be done is answered as the
// interface says (false, -1, empty), with nothing changed.
//
// Undo groups an add-in opens are counted (AddinUndoGroups), so that the IDE can close those it
// left open when the call that opened them returns: a group left open would join every later
// change, the user's too, into one step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "api/ZebEditorAPI.h"
#include "ide/core/EditorSeam.h"
#include "ide/ota/LiveObjects.h"

namespace zeb {

class AddinUndoGroups {
 public:
  static void Begin(EditorSeam& editor);
  static void End(EditorSeam& editor) noexcept;
  // Closes the groups add-ins opened and left open; how many there were.
  static int CloseLeftOpen(EditorSeam& editor) noexcept;
};

// The place of `offset` in `text`, which holds it.
TextPos PlaceIn(const EditorSeam::Text& text, std::size_t offset) noexcept;
// The offset of `pos` in `text`, or -1 when it is not a place in the text.
std::int64_t OffsetIn(const EditorSeam::Text& text, TZebTextPos pos) noexcept;

template <class Derived, class... Interfaces>
class EditBufferMethods : public CountedObject<Interfaces...> {
 public:
  std::int64_t GetSize() override {
    const auto text = Text();
    return text ? static_cast<std::int64_t>(text->ByteSize()) : 0;
  }
  std::int32_t GetLineCount() override {
    const auto text = Text();
    return text ? Narrow(text->LineCount()) : 0;
  }
  std::string GetLine(std::int32_t line) override {
    const auto text = Text();
    if (!text || !HasLine(*text, line)) return {};
    const auto l = static_cast<std::size_t>(line);
    return text->Bytes(text->LineStart(l), text->LineEnd(l) - text->LineStart(l));
  }
  std::int64_t GetLineStart(std::int32_t line) override {
    const auto text = Text();
    if (!text || !HasLine(*text, line)) return -1;
    return static_cast<std::int64_t>(text->LineStart(static_cast<std::size_t>(line)));
  }
  std::int64_t GetLineEnd(std::int32_t line) override {
    const auto text = Text();
    if (!text || !HasLine(*text, line)) return -1;
    return static_cast<std::int64_t>(text->LineEnd(static_cast<std::size_t>(line)));
  }
  std::int32_t GetLineOf(std::int64_t offset) override {
    const auto text = Text();
    if (!text || !InText(*text, offset)) return 0;
    return Narrow(text->LineOf(static_cast<std::size_t>(offset)));
  }
  std::int64_t GetOffset(TZebTextPos pos) override {
    const auto text = Text();
    return text ? OffsetIn(*text, pos) : -1;
  }
  TZebTextPos GetPlace(std::int64_t offset) override {
    const auto text = Text();
    if (!text || !InText(*text, offset)) return TZebTextPos{0, 0};
    const TextPos place = PlaceIn(*text, static_cast<std::size_t>(offset));
    return TZebTextPos{place.line, place.col};
  }
  std::string GetText(std::int64_t offset, std::int64_t count) override {
    const auto text = Text();
    if (!text || !InText(*text, offset) || count <= 0) return {};
    return text->Bytes(static_cast<std::size_t>(offset), static_cast<std::size_t>(count));
  }
  std::string GetLineBreak() override {
    const auto text = Text();
    if (!text || text->LineCount() < 2) return "\n";
    return text->LineStart(2) - text->LineEnd(1) == 2 ? "\r\n" : "\n";
  }
  bool Insert(std::int64_t offset, const std::string& inserted) override {
    return Replace(offset, 0, inserted);
  }
  bool Delete(std::int64_t offset, std::int64_t count) override {
    return Replace(offset, count, std::string());
  }
  bool Replace(std::int64_t offset, std::int64_t count, const std::string& inserted) override {
    const auto text = Text();
    if (!text || !InText(*text, offset) || count < 0 ||
        count > static_cast<std::int64_t>(text->ByteSize()) - offset)
      return false;
    if (count == 0 && inserted.empty()) return true;
    text->Replace(static_cast<std::size_t>(offset), static_cast<std::size_t>(count), inserted);
    return true;
  }
  void BeginUndoGroup() override {
    if (EditorSeam* editor = Self().Editor()) AddinUndoGroups::Begin(*editor);
  }
  void EndUndoGroup() override {
    if (EditorSeam* editor = Self().Editor()) AddinUndoGroups::End(*editor);
  }

 private:
  Derived& Self() noexcept { return static_cast<Derived&>(*this); }
  std::shared_ptr<EditorSeam::Text> Text() { return Self().BufferText(); }
  static std::int32_t Narrow(std::size_t value) noexcept {
    return value > static_cast<std::size_t>(INT32_MAX) ? INT32_MAX
                                                       : static_cast<std::int32_t>(value);
  }
  static bool HasLine(const EditorSeam::Text& text, std::int32_t line) noexcept {
    return line >= 1 && static_cast<std::size_t>(line) <= text.LineCount();
  }
  static bool InText(const EditorSeam::Text& text, std::int64_t offset) noexcept {
    return offset >= 0 && static_cast<std::uint64_t>(offset) <= text.ByteSize();
  }
};

}  // namespace zeb
