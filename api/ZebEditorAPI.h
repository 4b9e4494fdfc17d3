// The editing extension: this IDE's own interfaces for add-ins that read and edit text, move the
// cursor and the block, open files and follow what happens to them. Declarations only, like
// ToolsAPI.h; packages of interface version 2 and later (api/PackageInfo.h) may rely on them.
//
// Reached by interface query (Supports, TryAs), never by a checked cast, so that an add-in can
// tell an IDE that lacks them:
//
//   IZebEditBuffer        from an IOTASourceEditor (the text of its file), or from an
//                         IOTAEditView or IZebEditView (the text that view shows)
//   IZebEditView          from an IOTAEditView
//   IZebModuleServices    from BorlandIDEServices: the open modules by index, opening a file
//   IZebNotifierServices  from BorlandIDEServices: notifiers of files and views
//   IZebMessageServices   from BorlandIDEServices: the message or status line
//
// Places in the text. A file's text is bytes, whatever its encoding. An offset counts bytes
// from 0 to GetSize(). A place (TZebTextPos) is a line from 1 and a column from 1 that counts
// bytes: column c stands before the line's byte c - 1, and the column after a line's last byte
// is its end. Every line but the last ends with a line end, LF or CRLF, which belongs to its
// line but is not part of its text; the last line has none, so a text that ends with a line end
// has an empty last line (IOTAEditPosition::GetLastRow counts it too). Lines and columns are
// 32-bit, unlike IOTAEditView::GetCursorPos, whose column is 16-bit.
//
// Undo. Everything an add-in changes while one of its key procedures runs is one undo step of
// each file it changed; BeginUndoGroup and EndUndoGroup make one step of what is changed between
// them at any other time (a notifier, a dialog's button).
//
// Failures. A method answers a request it cannot carry out (a place or range outside the text,
// a view or module the IDE has closed) with false, -1, an empty text or a null reference, and
// changes nothing; it raises only what the runtime raises for want of memory.
#pragma once

#include <cstdint>
#include <string>

#include "api/ComPtr.h"
#include "api/Interface.h"
#include "api/ToolsAPI.h"

namespace zeb {

// A place in a text: a line from 1 and a byte column from 1, both 32-bit.
struct TZebTextPos {
  std::int32_t Line = 1;
  std::int32_t Col = 1;

  friend bool operator==(const TZebTextPos&, const TZebTextPos&) = default;
};

// ---- Text ------------------------------------------------------------------------------------

// The text of one file, as bytes. The changes go straight to the file's text in the IDE (and
// on the screen); the file is saved only when the user (or the script) saves it.
struct IZebEditBuffer : IInterface {
  static constexpr TGUID IID = MakeGUID("{44B46F2E-41C0-4E49-B1C5-AE5B0362F34C}");
  static constexpr const char* Name = "IZebEditBuffer";
  using Inherited = IInterface;

  // The text's size in bytes, line ends included.
  virtual std::int64_t GetSize() = 0;
  // The number of lines, the empty last line after a final line end included.
  virtual std::int32_t GetLineCount() = 0;
  // The text of line `line` (1 to GetLineCount()) without its line end; empty outside.
  virtual std::string GetLine(std::int32_t line) = 0;
  // The offset where line `line` starts; -1 outside 1 to GetLineCount().
  virtual std::int64_t GetLineStart(std::int32_t line) = 0;
  // The offset where the text of line `line` ends, before its line end; -1 outside.
  virtual std::int64_t GetLineEnd(std::int32_t line) = 0;
  // The line that holds byte `offset` (the last line for GetSize()); 0 outside the text.
  virtual std::int32_t GetLineOf(std::int64_t offset) = 0;
  // The offset of the place `pos`; -1 when it is not in the text (past its line's end).
  virtual std::int64_t GetOffset(TZebTextPos pos) = 0;
  // The place of byte `offset`; {0, 0} outside the text.
  virtual TZebTextPos GetPlace(std::int64_t offset) = 0;
  // A copy of the bytes [offset, offset + count), cut at the text's end; empty when the range
  // does not start in the text or count is not positive.
  virtual std::string GetText(std::int64_t offset, std::int64_t count) = 0;
  // The line end this file gives new lines: "\r\n" when its first line ends with CRLF, else
  // "\n". Insert takes text as it is, so an add-in that adds lines uses it.
  virtual std::string GetLineBreak() = 0;

  // Insert `text` at `offset`, delete the bytes [offset, offset + count), or replace them with
  // `text`. True when done; false, with nothing changed, when the range is not in the text. The
  // text goes in as it is (line ends too; a CR before LF makes CRLF). The cursor and block of
  // every view of the file keep their lines and columns, brought back into the text when they
  // fall outside it: an add-in places them itself (IZebEditView) where it wants them.
  virtual bool Insert(std::int64_t offset, const std::string& text) = 0;
  virtual bool Delete(std::int64_t offset, std::int64_t count) = 0;
  virtual bool Replace(std::int64_t offset, std::int64_t count, const std::string& text) = 0;

  // Opens and closes an undo group: what an add-in changes in between, in this file or any
  // other, is one undo step of each file. Groups nest (the outermost counts); an EndUndoGroup
  // without a group is ignored. A key procedure needs none: its changes are one step already.
  virtual void BeginUndoGroup() = 0;
  virtual void EndUndoGroup() = 0;

 protected:
  ~IZebEditBuffer() = default;
};

// ---- View ------------------------------------------------------------------------------------

// An edit view's cursor and block, with 32-bit places, and its text.
struct IZebEditView : IInterface {
  static constexpr TGUID IID = MakeGUID("{E01F20D1-3E54-4729-A7B8-ADD4628D523B}");
  static constexpr const char* Name = "IZebEditView";
  using Inherited = IInterface;

  // The cursor.
  virtual TZebTextPos GetCursor() = 0;
  // Moves the cursor there and drops the block. False, with nothing changed, for a place not
  // in the text.
  virtual bool SetCursor(TZebTextPos pos) = 0;
  // The block's first place and the place after its last byte: the block is
  // [GetBlockStart(), GetBlockEnd()), start never after end. Without a block (IOTAEditBlock's
  // GetIsValid false) both are the cursor. The cursor is at one of the block's ends: where the
  // user's selection ended, or `to` of SetBlock.
  virtual TZebTextPos GetBlockStart() = 0;
  virtual TZebTextPos GetBlockEnd() = 0;
  // Selects [from, to) (`to` may come first) with the cursor at `to`; from == to drops the
  // block. False, with nothing changed, when a place is not in the text.
  virtual bool SetBlock(TZebTextPos from, TZebTextPos to) = 0;
  // The block's bytes, line ends included; empty without a block.
  virtual std::string GetBlockText() = 0;
  // The text this view shows. Its changes record this view's cursor and block, which undo and
  // redo bring back.
  virtual ComPtr<IZebEditBuffer> GetBuffer() = 0;

 protected:
  ~IZebEditView() = default;
};

// ---- Modules ---------------------------------------------------------------------------------

struct IZebModuleServices : IInterface {
  static constexpr TGUID IID = MakeGUID("{5B7DF673-705E-46DE-B781-5547DF2A2ED3}");
  static constexpr const char* Name = "IZebModuleServices";
  using Inherited = IInterface;

  // The open module `index`, from 0 to IOTAModuleServices::GetModuleCount() - 1, in the order
  // they were opened; null outside.
  virtual ComPtr<IOTAModule> GetModule(std::int32_t index) = 0;
  // Opens the file at `path` (a source file or a companion) as its module, or switches to it
  // when it is open, and makes a view of that file the top view, as the user's File -> Open
  // does. Null when it cannot, with the reason in `error` (a file that is missing, not a regular
  // file or unreadable).
  virtual ComPtr<IOTAModule> OpenModule(const std::string& path, std::string& error) = 0;

 protected:
  ~IZebModuleServices() = default;
};

// ---- Notifiers -------------------------------------------------------------------------------

// Implemented by an add-in and handed to IZebNotifierServices::AddNotifier. File names are full
// paths. The calls come on the IDE's thread, after the fact; an exception that leaves one is
// caught and reported as a fault naming the package, like one from a key procedure.
struct IZebEditorNotifier : IInterface {
  static constexpr TGUID IID = MakeGUID("{B24D6E87-8F71-40B7-B0B2-BA7A063A0011}");
  static constexpr const char* Name = "IZebEditorNotifier";
  using Inherited = IInterface;

  // A file was opened: each file of a module that opens, companions included.
  virtual void FileOpened(const std::string& fileName) = 0;
  // A file was saved to its own name (not a copy).
  virtual void FileSaved(const std::string& fileName) = 0;
  // A file was closed: each file of a module that closes.
  virtual void FileClosed(const std::string& fileName) = 0;
  // Another edit view became the top view (IOTAEditorServices::GetTopView); `view` is valid
  // for the call, and may be kept as a counted reference.
  virtual void TopViewChanged(IOTAEditView* view) = 0;

 protected:
  ~IZebEditorNotifier() = default;
};

struct IZebNotifierServices : IInterface {
  static constexpr TGUID IID = MakeGUID("{1722ABAD-29EB-48B7-B5F9-439E1F00D4D1}");
  static constexpr const char* Name = "IZebNotifierServices";
  using Inherited = IInterface;

  // Keeps the notifier (a counted reference) and returns its index, or -1 for null. It hears of
  // everything from then on, until RemoveNotifier, or until its package unloads: the IDE drops
  // a package's notifiers after its Finalize.
  virtual std::int32_t AddNotifier(IZebEditorNotifier* notifier) = 0;
  // Drops the notifier AddNotifier returned `index` for; unknown indexes are ignored.
  virtual void RemoveNotifier(std::int32_t index) = 0;

 protected:
  ~IZebNotifierServices() = default;
};

// ---- Messages --------------------------------------------------------------------------------

struct IZebMessageServices : IInterface {
  static constexpr TGUID IID = MakeGUID("{1DB57988-DCB2-420C-9BDA-69F1ACFC4E5A}");
  static constexpr const char* Name = "IZebMessageServices";
  using Inherited = IInterface;

  // Shows one line of text to the user without stopping them: zeb-ide on its status bar,
  // zeb-host on its output as "message TEXT" (escaped as any add-in's text is). A line break
  // shows as "\n".
  virtual void ShowMessage(const std::string& text) = 0;

 protected:
  ~IZebMessageServices() = default;
};

}  // namespace zeb
