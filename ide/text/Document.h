// Document: the text of one file, its undo history and whether it differs from the file.
//
// Every change is one undo step, and a command that changes nothing makes none and keeps the
// steps that can be redone. A listener hears of each change (edits, undo, redo, saving)
// with the bytes and lines it replaced, so that views and front ends can follow without
// comparing texts: a typed character is reported as that character, a block command as its
// lines.
//
// Undo groups: while a group is open (BeginUndoGroup to EndUndoGroup; groups nest, the outermost
// counts), the steps the document makes are joined into one: Undo takes them all back, Redo
// makes them all again. An add-in's key press, and an add-in's explicit group, are one step so.
// A group may also be shared by several documents (SharedUndoGroup), which costs them nothing
// while it is open and they make no step. When the budget drops the oldest steps of a group,
// what is left of it undoes as one.
//
// The undo history keeps within a budget of memory (UndoHistory states the bound), by default the
// larger of 256 MiB and four times the text's size (SetUndoBudgetFloor changes the 256 MiB for
// documents opened after). A block of bytes the document keeps for the next step's counts too.
//
// A document remembers the identity of its file (FileStore::FileIdentity) as it was when the
// text was read from it or saved to it, so that nothing another program wrote since is
// overwritten unawares: Save refuses a file that changed, CheckDisk tells a front end, Reload
// takes the file's text in as an undoable step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ide/text/ByteBlock.h"
#include "ide/text/FileStore.h"
#include "ide/text/TextBuffer.h"
#include "ide/text/TextChange.h"
#include "ide/text/TextPos.h"
#include "ide/text/UndoHistory.h"
#include "runtime/Exceptions.h"

namespace zeb {

// An undo group that several documents share: while it is open, the steps each of them makes
// are one undo step of that document. Opening and closing it touches no document; a document
// sees at its next step whether the group it last made a step in is still the open one.
class SharedUndoGroup {
 public:
  // Groups nest; the outermost counts.
  void Begin() noexcept {
    if (depth_++ == 0) ++serial_;
  }
  void End() noexcept {
    if (depth_ > 0) --depth_;
  }
  bool IsOpen() const noexcept { return depth_ > 0; }
  // Which group is open (or was last), so that its first step in each document stands apart.
  std::uint64_t Serial() const noexcept { return serial_; }

 private:
  int depth_ = 0;
  std::uint64_t serial_ = 0;
};

// Raised by Document::Save when the file changed on disk since the document read or saved it.
class EFileChanged : public EInOutError {
 public:
  using EInOutError::EInOutError;
  const char* ClassName() const noexcept override { return "EFileChanged"; }
};

class Document {
 public:
  static constexpr std::size_t kDefaultUndoBudgetFloor = std::size_t{256} << 20;

  Document(std::string path, TextBuffer buffer);

  // Reads the file at `path`; raises EInOutError when it cannot or when it is not a regular
  // file.
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
  // The text of line `line` (1-based), without its line end; valid until the next change.
  std::string_view LineText(std::int32_t line) const;
  // Its length in bytes.
  std::size_t LineLength(std::int32_t line) const noexcept;
  // The byte offset of a place in the text (which must be valid).
  std::size_t OffsetOf(TextPos pos) const noexcept;
  bool Modified() const noexcept { return history_.Version() != savedVersion_; }
  const UndoHistory& History() const noexcept { return history_; }

  // True when `pos` is a place in the text: an existing line, a column up to its end.
  bool IsValid(TextPos pos) const noexcept;
  // The nearest place in the text.
  TextPos Clamp(TextPos pos) const noexcept;

  // Replaces the bytes [offset, offset + removed) with `inserted`, as one undo step; an edit
  // that replaces nothing with nothing makes none.
  void Edit(std::size_t offset, std::size_t removed, std::string_view inserted,
            const ViewState& before, const ViewState& after);
  // Rewrites the leading white space of `count` lines from `first` as BlockEditing::Lead does,
  // as one undo step. False, with no step, when no line changes.
  bool IndentLines(std::size_t first, std::size_t count, std::int32_t columns,
                   std::int32_t tabWidth, const ViewState& before, const ViewState& after);
  // Lower-cases the ASCII letters of the bytes [offset, offset + length), as one undo step.
  // False, with no step, when there is none.
  bool LowerCase(std::size_t offset, std::size_t length, const ViewState& state);

  void BeginUndoGroup() noexcept;
  void EndUndoGroup() noexcept;
  // Joins the shared group (null for none), which must outlive the document's use of it.
  void ShareUndoGroup(const SharedUndoGroup* group) noexcept { shared_ = group; }

  // Undoes or redoes one step (a group's steps all at once); the view state to show afterwards,
  // or nothing when there was no step.
  std::optional<ViewState> Undo();
  std::optional<ViewState> Redo();

  // The bytes the undo history may hold before it drops its oldest steps.
  std::size_t UndoBudget() const noexcept;
  // The least budget of documents made from now on.
  static void SetUndoBudgetFloor(std::size_t bytes) noexcept;

  // ---- The file
  enum class SaveMode {
    IfUnchanged,  // refuse a file that changed on disk since it was read or saved
    Overwrite,    // write over whatever the file holds now
  };
  // Writes the text to the document's file. Raises EFileChanged, writing nothing, when the mode
  // is IfUnchanged and the file changed on disk (a file that has gone is written again); raises
  // EInOutError, leaving the file as it was, when it cannot be written.
  void Save(SaveMode mode = SaveMode::IfUnchanged);
  // Writes the text to another file; the document stays as it is.
  void SaveCopy(const std::string& path) const;
  // Writes the text to `path`, which becomes the document's file (a normalised absolute path);
  // the text, its history and whether it is modified stay.
  void SaveAs(const std::string& path);

  enum class DiskState {
    Unchanged,  // the file is as the document read or saved it
    Changed,    // another program wrote it, or another file took its name
    Missing,    // no file has the name any more
  };
  DiskState CheckDisk() const;
  // Takes in the file's text as it is now: the lines that differ are replaced as one undo step
  // (none when nothing differs), `state` being the view state before it and the start of the
  // replaced lines the cursor after it. The document is then unmodified, its file unchanged.
  // Raises EInOutError, changing nothing, when the file cannot be read.
  void Reload(const ViewState& state);

  using ChangeListener = std::function<void(Document&, const TextChange&)>;
  void SetChangeListener(ChangeListener listener) { listener_ = std::move(listener); }

 private:
  // Drops the steps that could be redone, keeping the largest block of bytes they held as the
  // spare.
  void DropRedo();
  // Gives the spare block back when the history and it would pass the budget.
  void FitSpare() noexcept;
  // A block for a new step's bytes: what the last dropped redo steps left, when there is one.
  // The steps that can be redone stay, so that a command that turns out to change nothing keeps
  // them; they go when a step is recorded.
  ByteBlock TakeSpare();
  // Records a change made just now that replaced `removedBytes` bytes at `offset` with
  // `insertedBytes` bytes as a step holding `old`, and tells the listener.
  void Record(std::size_t offset, std::size_t firstLine, std::size_t removedBytes,
              std::size_t insertedBytes, TextBuffer::Breaks breaks, ByteBlock old,
              const ViewState& before, const ViewState& after);
  // Commits the step filled in from history_.NewStep(), which replaced `removedBytes` bytes at
  // `offset` with `insertedBytes` bytes, and tells the listener; `bothEndWithBreak` when the
  // bytes replaced and the bytes put in both end with a line feed.
  void Commit(std::size_t offset, std::size_t firstLine, std::size_t removedBytes,
              std::size_t insertedBytes, TextBuffer::Breaks breaks, bool bothEndWithBreak);
  // The lines of an indent step, the breaks they hold and whether the range ends with one.
  TextBuffer::Breaks PadBreaks(const UndoStep& step) const noexcept;
  bool EndsWithBreak(std::size_t offset, std::size_t length) const noexcept {
    return length > 0 && buffer_.ByteAt(offset + length - 1) == '\n';
  }
  void Swap(TextChange::Kind kind, UndoStep& step);
  void SwapPad(TextChange::Kind kind, UndoStep& step);
  void Changed(const TextChange& change);
  // Marks a step made now as joined to the one before when an undo group holds both.
  void Group(UndoStep& step) noexcept;

  std::string path_;
  TextBuffer buffer_;
  UndoHistory history_;
  ByteBlock spare_;
  std::size_t undoBudgetFloor_;
  std::size_t savedVersion_ = 0;
  FileIdentity file_;  // the file as the text was last read from it or saved to it
  ChangeListener listener_;
  int groupDepth_ = 0;
  bool groupHasStep_ = false;  // the open group has made a step
  const SharedUndoGroup* shared_ = nullptr;
  std::uint64_t sharedSerial_ = 0;  // the shared group the last step was made in
};

}  // namespace zeb
