// EditView: one view of a document, with its cursor and its stream block.
//
// The block commands live here, written once for every front end and for the edit-block object
// the add-ins call: each changes the document as one undo step and leaves the cursor and the
// block where a user expects them.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "ide/core/DocumentText.h"
#include "ide/core/EditorSeam.h"
#include "ide/text/Document.h"
#include "ide/text/TextPos.h"

namespace zeb {

class EditView final : public EditorSeam::View {
 public:
  EditView(std::shared_ptr<Document> document, std::int32_t tabWidth);

  Document& GetDocument() const noexcept { return *document_; }
  const std::shared_ptr<Document>& SharedDocument() const noexcept { return document_; }
  std::int32_t TabWidth() const noexcept { return tabWidth_; }

  const ViewState& State() const noexcept { return state_; }
  TextPos Cursor() const noexcept override { return state_.cursor; }
  bool HasBlock() const noexcept override { return state_.HasBlock(); }
  TextPos BlockStart() const noexcept override { return state_.blockStart; }
  TextPos BlockEnd() const noexcept override { return state_.blockEnd; }
  // The bytes the block covers, line ends included.
  std::size_t BlockSize() const override;
  std::size_t LineCount() const noexcept override { return document_->LineCount(); }

  // Moves the cursor; the block goes. False, with nothing changed, when `pos` is not in the text.
  bool SetCursor(TextPos pos) override;
  // Selects [from, to) (in either order) and puts the cursor at `to`. False when a position is
  // not in the text.
  bool Select(TextPos from, TextPos to) override;
  // The document as the seam's text; its edits record this view's state for undo.
  std::shared_ptr<EditorSeam::Text> ViewText() override {
    return std::shared_ptr<EditorSeam::Text>(shared_from_this(), &text_);
  }
  void Deselect() noexcept;
  // Takes over another view's cursor and block (a view of the same document).
  void CopyStateFrom(const EditView& other) noexcept { state_ = other.state_; }
  // Brings the cursor and the block back into the text after another view changed it.
  void ClampToDocument() noexcept;

  // Indents (columns > 0) or unindents (columns < 0) the lines of the block: from its first line
  // to its last, leaving out a last line where the block ends at column 1. Nothing happens
  // without a block. The block then covers the same lines. Raises EInvalidOperation for more
  // than kMaxIndentColumns columns.
  void IndentBlock(std::int32_t columns) override;
  // Lower-cases the ASCII letters inside the block.
  void LowerCaseBlock() override;
  // Inserts `text` at the cursor, replacing the block; its line breaks (LF or CRLF) become the
  // document's line end. The cursor ends after the text, or before a CR there that now ends its
  // line with the LF after it. Empty text without a block changes nothing and makes no step.
  void InsertText(std::string_view text);

  // Positions are 32-bit: an edit that would put the cursor or the block past line or column
  // 2147483647 raises EInvalidOperation and changes nothing.

  // Undo puts back the text, cursor and block from before the step; redo those the step left.
  // False when there is no step.
  bool Undo();
  bool Redo();

 private:
  std::shared_ptr<Document> document_;
  std::int32_t tabWidth_;
  ViewState state_;
  DocumentText text_{*document_, &state_};
};

}  // namespace zeb
