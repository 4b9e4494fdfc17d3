// ScintillaView: a Scintilla editor widget as the add-ins' edit view (EditorSeam::View): the
// caret is the cursor, the selection the block, both in byte lines and columns from 1 as TextPos
// counts them, so that an add-in reads the same numbers in Geany as in zeb-host.
//
// Only one stream selection is a block: a rectangular selection, or several selections, is not a
// valid block (an add-in's block commands work on whole lines of a stream block). The block
// commands follow the text layer's rules (BlockEditing) line by line, as zeb-host's views do, and
// run as one undo action of the widget; afterwards the selection covers the same lines, so that a
// second Tab indents again.
//
// The widget belongs to the editor that made it; when the editor closes it, Detach makes the view
// answer as an empty text with no block, for as long as an add-in still holds the view.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ide/core/EditorSeam.h"
#include "ide/text/TextPos.h"

typedef struct _ScintillaObject ScintillaObject;

namespace zeb {

class ScintillaView final : public EditorSeam::View {
 public:
  explicit ScintillaView(ScintillaObject* widget) noexcept : widget_(widget) {}
  ScintillaView(const ScintillaView&) = delete;
  ScintillaView& operator=(const ScintillaView&) = delete;

  ScintillaObject* Widget() const noexcept { return widget_; }
  void Detach() noexcept { widget_ = nullptr; }

  TextPos Cursor() const noexcept override;
  bool HasBlock() const noexcept override;
  std::size_t BlockSize() const override;
  std::size_t LineCount() const noexcept override;
  // Raises EInvalidOperation for more than kMaxIndentColumns columns, as zeb-host's views do.
  // A tab counts to the next multiple of the widget's tab width, the width Geany draws it with.
  void IndentBlock(std::int32_t columns) override;
  void LowerCaseBlock() override;

 private:
  std::intptr_t Send(unsigned int message, std::uintptr_t w = 0, std::intptr_t l = 0) const;
  TextPos PositionOf(std::intptr_t offset) const noexcept;

  ScintillaObject* widget_;
  std::string spaces_;  // room for the widest lead a command puts in, reused
};

}  // namespace zeb
