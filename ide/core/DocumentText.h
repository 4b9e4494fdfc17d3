// DocumentText: a document as the editor seam's Text, for the IDE's own editor: a module's file
// (Module::FileText) and a view's (EditView::ViewText).
//
// An edit through it is one undo step of the document, or a part of the open undo group. The
// view state the step records, to show again after undo and redo, is the owning view's when
// there is one; a module's file records the cursor at the edit's start before it and after the
// inserted bytes after it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "ide/core/EditorSeam.h"
#include "ide/text/Document.h"
#include "ide/text/TextPos.h"

namespace zeb {

class DocumentText final : public EditorSeam::Text {
 public:
  // `state` is the owning view's state, or null.
  DocumentText(Document& document, const ViewState* state) noexcept
      : document_(&document), state_(state) {}

  std::size_t ByteSize() const noexcept override { return document_->ByteSize(); }
  std::size_t LineCount() const noexcept override { return document_->LineCount(); }
  std::size_t LineStart(std::size_t line) const noexcept override;
  std::size_t LineEnd(std::size_t line) const noexcept override;
  std::size_t LineOf(std::size_t offset) const noexcept override;
  std::string Bytes(std::size_t offset, std::size_t count) const override {
    return document_->Bytes(offset, count);
  }
  void Replace(std::size_t offset, std::size_t removed, std::string_view inserted) override;

 private:
  // The place of byte `offset` of the text now.
  TextPos PlaceOf(std::size_t offset) const noexcept;

  Document* document_;
  const ViewState* state_;
};

}  // namespace zeb
