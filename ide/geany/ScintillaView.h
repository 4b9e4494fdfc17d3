// ScintillaView: a Scintilla editor widget as the add-ins' edit view (EditorSeam::View) and as the
// text it shows (EditorSeam::Text): the caret is the cursor, the selection the block, both in
// byte lines and columns from 1 as TextPos counts them, and the text is the widget's bytes, so
// that an add-in reads the same numbers in Geany as in zeb-host. Lines are Scintilla's: a line
// ends with LF, CRLF or a lone CR (zeb-host takes a lone CR for text), and a text that ends with
// a line end has an empty last line, as in zeb-host.
//
// Only one stream selection is a block: a rectangular selection, or several selections, is not a
// valid block (an add-in's block commands work on whole lines of a stream block). The block
// commands follow the text layer's rules (BlockEditing) line by line, as zeb-host's views do, and
// run as one undo action of the widget; afterwards the selection covers the same lines, so that a
// second Tab indents again.
//
// Changes to the text are Scintilla's edits, each one undo action, or a part of the editor's
// open undo group (ScintillaUndoGroup), which every change joins first. A Replace keeps the
// caret and the anchor on their lines and columns, brought back into the text, as zeb-host's
// views keep their cursor and block; where the user has a rectangular or several selections,
// Scintilla moves them with the text as it always does. Setting the cursor or the block scrolls
// the caret into sight.
//
// The widget belongs to the editor that made it; when the editor closes it, Detach makes the view
// answer as an empty text with no block, for as long as an add-in still holds the view.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "ide/core/EditorSeam.h"
#include "ide/text/TextPos.h"

typedef struct _ScintillaObject ScintillaObject;

namespace zeb {

class ScintillaUndoGroup;

class ScintillaView final : public EditorSeam::View, public EditorSeam::Text {
 public:
  // `group` (null: none) is the editor's undo group, which outlives the widget.
  explicit ScintillaView(ScintillaObject* widget, ScintillaUndoGroup* group = nullptr) noexcept
      : widget_(widget), group_(group) {}
  ScintillaView(const ScintillaView&) = delete;
  ScintillaView& operator=(const ScintillaView&) = delete;

  ScintillaObject* Widget() const noexcept { return widget_; }
  void Detach() noexcept {
    widget_ = nullptr;
    group_ = nullptr;
  }
  // The widget's undo actions, for the undo group; nothing once detached.
  void BeginUndoAction() const;
  void EndUndoAction() const noexcept;

  // EditorSeam::View
  TextPos Cursor() const noexcept override;
  bool HasBlock() const noexcept override;
  std::size_t BlockSize() const override;
  // The view's and the text's line count alike.
  std::size_t LineCount() const noexcept override;
  // Raises EInvalidOperation for more than kMaxIndentColumns columns, as zeb-host's views do.
  // A tab counts to the next multiple of the widget's tab width, the width Geany draws it with.
  void IndentBlock(std::int32_t columns) override;
  void LowerCaseBlock() override;
  TextPos BlockStart() const noexcept override;
  TextPos BlockEnd() const noexcept override;
  bool SetCursor(TextPos pos) override;
  bool Select(TextPos from, TextPos to) override;
  // This view as its text; the view must be owned by a shared_ptr.
  std::shared_ptr<EditorSeam::Text> ViewText() override {
    return std::shared_ptr<EditorSeam::Text>(shared_from_this(),
                                             static_cast<EditorSeam::Text*>(this));
  }

  // EditorSeam::Text
  std::size_t ByteSize() const noexcept override;
  std::size_t LineStart(std::size_t line) const noexcept override;
  std::size_t LineEnd(std::size_t line) const noexcept override;
  std::size_t LineOf(std::size_t offset) const noexcept override;
  std::string Bytes(std::size_t offset, std::size_t count) const override;
  void Replace(std::size_t offset, std::size_t removed, std::string_view inserted) override;

 private:
  std::intptr_t Send(unsigned int message, std::uintptr_t w = 0, std::intptr_t l = 0) const;
  TextPos PositionOf(std::intptr_t offset) const noexcept;
  // The offset of a place in the text, or -1 when it is none.
  std::intptr_t OffsetOf(TextPos pos) const noexcept;
  // The nearest offset to a place, which need not be in the text.
  std::intptr_t ClampedOffsetOf(TextPos pos) const noexcept;
  // Selects from `anchor` to `caret` as a user does, the caret in sight.
  void SelectOffsets(std::intptr_t anchor, std::intptr_t caret) const;
  // Before the text changes: joins the open undo group.
  void JoinGroup();

  ScintillaObject* widget_;
  ScintillaUndoGroup* group_;
  std::string spaces_;  // room for the widest lead a command puts in, reused
};

}  // namespace zeb
