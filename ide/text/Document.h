// Document: the text of one file, its undo history and whether it differs from the file.
//
// Every change goes through Edit, which makes it one undo step. A listener hears of each change
// (edits, undo, redo, saving) with the range it replaced, so that views and front ends can follow
// without comparing texts.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ide/text/TextBuffer.h"
#include "ide/text/TextChange.h"
#include "ide/text/TextPos.h"
#include "ide/text/UndoHistory.h"

namespace zebide {

class Document {
 public:
  Document(std::string path, TextBuffer buffer);

  // Reads the file at `path`; raises EInOutError when it cannot.
  static std::shared_ptr<Document> Open(const std::string& path);

  const std::string& Path() const noexcept { return path_; }
  const TextBuffer& Buffer() const noexcept { return buffer_; }
  std::size_t LineCount() const noexcept { return buffer_.LineCount(); }
  // The size of the text in bytes, line ends included.
  std::size_t ByteSize() const noexcept { return buffer_.ByteSize(); }
  // The byte offset at which line `index` (from 0) starts; ByteSize() for index == LineCount().
  std::size_t LineOffset(std::size_t index) const { return buffer_.LineOffset(index); }
  // A copy of the bytes [offset, offset + count), clipped to the text.
  std::string Bytes(std::size_t offset, std::size_t count) const {
    return buffer_.Bytes(offset, count);
  }
  // The text of line `line` (1-based), without its line end.
  const std::string& LineText(std::int32_t line) const;
  bool Modified() const noexcept { return history_.Version() != savedVersion_; }
  const UndoHistory& History() const noexcept { return history_; }

  // True when `pos` is a place in the text: an existing line, a column up to its end.
  bool IsValid(TextPos pos) const noexcept;
  // The nearest place in the text.
  TextPos Clamp(TextPos pos) const noexcept;

  // Replaces `count` lines from line index `first` (from 0) with `lines`, as one undo step.
  void Edit(std::size_t first, std::size_t count, std::vector<Line> lines, const ViewState& before,
            const ViewState& after);
  // Undoes or redoes one step; the view state to show afterwards, or nothing when there was
  // no step.
  std::optional<ViewState> Undo();
  std::optional<ViewState> Redo();

  // Writes the text to the document's file; raises EInOutError, leaving the file as it was.
  void Save();
  // Writes the text to another file; the document stays as it is.
  void SaveCopy(const std::string& path) const;

  using ChangeListener = std::function<void(Document&, const TextChange&)>;
  void SetChangeListener(ChangeListener listener) { listener_ = std::move(listener); }

 private:
  // Replaces lines and describes in `change` what that did to the bytes.
  std::vector<Line> Replace(std::size_t first, std::size_t count, std::vector<Line> lines,
                            TextChange& change);
  void Swap(TextChange::Kind kind, UndoStep& step);
  void Changed(const TextChange& change);

  std::string path_;
  TextBuffer buffer_;
  UndoHistory history_;
  std::size_t savedVersion_ = 0;
  ChangeListener listener_;
};

}  // namespace zebide
