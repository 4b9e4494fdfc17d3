#include "ide/text/Document.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "ide/core/EditView.h"
#include "runtime/Exceptions.h"
#include "testkit/TestSupport.h"

namespace zeb {
namespace {

using zeb::test::ReadFile;
using zeb::test::TempDir;
using zeb::test::WriteFile;

TEST(Document, SavedWithoutEditsIsTheSameBytes) {
  TempDir dir;
  const std::string samples[] = {"", "a\r\nb\nc", std::string("nul\0inside\r\n\0", 14),
                                 "\xB1\xBC\r\n\xC7\xD1\n\n", "trailing cr\r"};
  for (const std::string& bytes : samples) {
    const std::string path = dir / "f.pas";
    WriteFile(path, bytes);
    const auto doc = Document::Open(path);
    EXPECT_FALSE(doc->Modified());
    doc->Save();
    EXPECT_EQ(ReadFile(path), bytes);
  }
}

TEST(Document, SaveFailuresNameThePathAndTheReason) {
  TempDir dir;
  const std::string path = dir / "a.pas";
  WriteFile(path, "a\n");
  const auto doc = Document::Open(path);

  // No such folder for a copy.
  try {
    doc->SaveCopy(dir / "missing/b.pas");
    ADD_FAILURE() << "no exception";
  } catch (const EInOutError& e) {
    EXPECT_NE(e.Message().find("missing/b.pas: No such file or directory"), std::string::npos)
        << e.Message();
  }
  // The file was replaced by a folder: the folder stays as it was.
  std::filesystem::remove(path);
  std::filesystem::create_directory(path);
  EXPECT_THROW(doc->Save(), EInOutError);
  EXPECT_TRUE(std::filesystem::is_directory(path));
  EXPECT_THROW(Document::Open(dir / "nonesuch.pas"), EInOutError);
}

// Another program's changes are not overwritten unawares: a file written in place, one put in
// its place by a rename (as editors save), a file gone (written again).
TEST(Document, SaveRefusesAFileThatChangedOnDiskSinceItWasReadOrSaved) {
  TempDir dir;
  const std::string path = dir / "a.pas";
  const std::string other = dir / "other.pas";
  struct Case {
    const char* name;
    void (*change)(const std::string& path, const std::string& other);
    Document::DiskState state;
    const char* onDisk;  // what a refused save leaves
  };
  const Case cases[] = {
      {"appended",
       [](const std::string& p, const std::string&) { WriteFile(p, ReadFile(p) + "appended\n"); },
       Document::DiskState::Changed, "a\nappended\n"},
      {"renamed over",
       [](const std::string& p, const std::string& o) {
         WriteFile(o, "b\n");
         std::filesystem::rename(o, p);
       },
       Document::DiskState::Changed, "b\n"},
      {"removed", [](const std::string& p, const std::string&) { std::filesystem::remove(p); },
       Document::DiskState::Missing, nullptr},
  };
  for (const Case& c : cases) {
    WriteFile(path, "a\n");
    const auto doc = Document::Open(path);
    EXPECT_EQ(doc->CheckDisk(), Document::DiskState::Unchanged) << c.name;
    doc->Edit(0, 0, "x", {}, {});
    c.change(path, other);
    EXPECT_EQ(doc->CheckDisk(), c.state) << c.name;
    if (c.onDisk != nullptr) {
      try {
        doc->Save();
        ADD_FAILURE() << c.name << ": saved";
      } catch (const EFileChanged& e) {
        EXPECT_EQ(e.Message(),
                  "cannot save " + path + ": the file changed on disk since it was read or saved");
      }
      EXPECT_EQ(ReadFile(path), c.onDisk) << c.name;
      EXPECT_TRUE(doc->Modified());
      doc->SaveCopy(other);  // a copy elsewhere is not held back
      EXPECT_EQ(ReadFile(other), "xa\n");
      doc->Save(Document::SaveMode::Overwrite);
    } else {
      doc->Save();
    }
    EXPECT_EQ(ReadFile(path), "xa\n") << c.name;
    EXPECT_FALSE(doc->Modified());
    // What it saved is what it checks against from now on.
    EXPECT_EQ(doc->CheckDisk(), Document::DiskState::Unchanged) << c.name;
    doc->Edit(0, 0, "y", {}, {});
    EXPECT_NO_THROW(doc->Save()) << c.name;
    std::filesystem::remove(other);
  }
}

// A reload replaces only the lines that differ, as one step that can be undone, and leaves the
// document unmodified; Save As moves the document to another file with its history.
TEST(Document, ReloadIsOneUndoableStepAndSaveAsKeepsTheHistory) {
  TempDir dir;
  const std::string path = dir / "a.pas";
  WriteFile(path, "one\ntwo\r\nthree\nfour");
  const auto doc = Document::Open(path);
  std::vector<TextChange> changes;
  doc->SetChangeListener([&](Document&, const TextChange& c) { changes.push_back(c); });
  WriteFile(path, "one\ntwo\r\nTHREE\r\nfour\nfive\n");
  const ViewState state{{4, 3}, {4, 3}, {4, 3}};
  doc->Reload(state);
  EXPECT_EQ(doc->Buffer().ToBytes(), "one\ntwo\r\nTHREE\r\nfour\nfive\n");
  EXPECT_FALSE(doc->Modified());
  EXPECT_EQ(doc->CheckDisk(), Document::DiskState::Unchanged);
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].kind, TextChange::Kind::Edit);
  EXPECT_EQ(changes[0].firstLine, 2u) << "the lines before the first difference stay";
  EXPECT_EQ(changes[0].offset, 9u);
  EXPECT_EQ(changes[1].kind, TextChange::Kind::Saved);
  EXPECT_EQ(doc->Undo(), state);
  EXPECT_EQ(doc->Buffer().ToBytes(), "one\ntwo\r\nthree\nfour");
  EXPECT_TRUE(doc->Modified());
  ASSERT_TRUE(doc->Redo());
  EXPECT_FALSE(doc->Modified());
  doc->Reload(state);  // the same text: no step
  EXPECT_EQ(doc->History().UndoCount(), 1u);

  const std::string renamed = dir / "b.pas";
  doc->Edit(0, 0, "x", {}, {});
  doc->SaveAs(renamed);
  EXPECT_EQ(doc->Path(), renamed);
  EXPECT_EQ(ReadFile(renamed), "xone\ntwo\r\nTHREE\r\nfour\nfive\n");
  EXPECT_EQ(ReadFile(path), "one\ntwo\r\nTHREE\r\nfour\nfive\n");
  EXPECT_FALSE(doc->Modified());
  EXPECT_EQ(doc->History().UndoCount(), 2u);
  ASSERT_TRUE(doc->Undo());
  EXPECT_TRUE(doc->Modified());
  WriteFile(path, "changed\n");  // the old file is no longer the document's
  EXPECT_NO_THROW(doc->Save());
}

TEST(Document, UndoAndRedoRestoreTextAndModifiedState) {
  TempDir dir;
  const std::string path = dir / "u.pas";
  WriteFile(path, "one\r\ntwo");
  const auto doc = Document::Open(path);
  EditView view(doc, 8);
  view.Select({1, 1}, {2, 4});
  view.IndentBlock(2);
  view.SetCursor({2, 1});
  view.InsertText("x\ny");  // the line break becomes the file's CRLF
  EXPECT_EQ(doc->Buffer().ToBytes(), "  one\r\nx\r\ny  two");

  EXPECT_TRUE(view.Undo());
  EXPECT_EQ(doc->Buffer().ToBytes(), "  one\r\n  two");
  doc->Save();
  EXPECT_FALSE(doc->Modified());
  EXPECT_TRUE(view.Undo());
  EXPECT_EQ(doc->Buffer().ToBytes(), "one\r\ntwo");
  EXPECT_TRUE(doc->Modified());
  EXPECT_EQ(view.BlockStart(), (TextPos{1, 1}));
  EXPECT_EQ(view.BlockEnd(), (TextPos{2, 4}));
  EXPECT_FALSE(view.Undo());
  EXPECT_TRUE(view.Redo());
  EXPECT_FALSE(doc->Modified());  // back where it was saved
  EXPECT_TRUE(view.Redo());
  EXPECT_EQ(doc->Buffer().ToBytes(), "  one\r\nx\r\ny  two");
  EXPECT_FALSE(view.Redo());

  // A new edit after an undo drops the redo steps, and the saved state can no longer return.
  EXPECT_TRUE(view.Undo());
  EXPECT_TRUE(view.Undo());
  view.SetCursor({1, 1});
  view.InsertText("z");
  EXPECT_FALSE(view.Redo());
  EXPECT_TRUE(doc->Modified());
}

// Past its budget the history drops its oldest steps, never the last one, and tells the truth
// about what can still be undone.
TEST(Document, UndoHistoryKeepsWithinItsBudget) {
  Document::SetUndoBudgetFloor(64 << 10);
  const auto doc = std::make_shared<Document>("mem.pas", TextBuffer::FromBytes("start\n"));
  Document::SetUndoBudgetFloor(Document::kDefaultUndoBudgetFloor);
  EXPECT_EQ(doc->UndoBudget(), 64u << 10);
  EditView view(doc, 8);
  const std::string block(16 << 10, 'b');
  for (int i = 0; i < 20; ++i) {
    view.Select({1, 1}, {2, 1});
    view.InsertText(block + std::to_string(i) + "\n");  // each step holds the block it replaced
  }
  EXPECT_LE(doc->History().HeldBytes(), doc->UndoBudget());
  const std::size_t kept = doc->History().UndoCount();
  EXPECT_GE(kept, 2u);
  EXPECT_LT(kept, 20u);
  for (std::size_t i = 0; i < kept; ++i)
    EXPECT_TRUE(view.Undo());
  EXPECT_FALSE(view.Undo());
  EXPECT_EQ(doc->LineText(1), block + std::to_string(19 - kept));
  EXPECT_TRUE(doc->Modified());  // the opened text can no longer come back

  // One step larger than the budget is still kept.
  view.Select({1, 1}, {2, 1});
  view.InsertText(std::string(128 << 10, 'c'));
  EXPECT_EQ(doc->History().UndoCount(), 1u);

  // Undoing a paste larger than the budget (four times the text by now) moves its bytes into
  // the history: the older steps make room, and the paste can still be redone.
  for (int i = 0; i < 10; ++i)
    view.InsertText("x");
  view.InsertText(std::string(1 << 20, 'p'));
  const std::size_t pasted = doc->ByteSize();
  EXPECT_TRUE(view.Undo());
  EXPECT_LT(doc->UndoBudget(), 1u << 20);
  EXPECT_EQ(doc->History().UndoCount(), 0u);
  EXPECT_LE(doc->History().HeldBytes(), (1u << 20) + (32u << 10));
  EXPECT_TRUE(view.Redo());
  EXPECT_EQ(doc->ByteSize(), pasted);
}

TEST(Document, AMillionLinesOpenIndentUndoAndSave) {
  TempDir dir;
  const std::string path = dir / "big.cpp";
  std::string bytes;
  for (int i = 0; i < 1'000'000; ++i)
    bytes += (i % 3 == 0 ? "int x;\r\n" : i % 3 == 1 ? "\n" : "  y = x;\n");
  WriteFile(path, bytes);
  const auto doc = Document::Open(path);
  ASSERT_EQ(doc->LineCount(), 1'000'001u);
  EditView view(doc, 8);
  ASSERT_TRUE(view.Select({1, 1}, {1'000'001, 1}));
  view.IndentBlock(4);
  EXPECT_EQ(doc->LineText(1), "    int x;");
  EXPECT_EQ(doc->LineText(2), "");
  EXPECT_EQ(doc->LineText(3), "      y = x;");
  EXPECT_EQ(doc->LineText(1'000'000), "    int x;");
  EXPECT_EQ(doc->History().UndoCount(), 1u);
  view.IndentBlock(-4);
  EXPECT_EQ(doc->Buffer().ToBytes(), bytes);
  EXPECT_TRUE(view.Undo());
  EXPECT_TRUE(view.Undo());
  doc->Save();
  EXPECT_EQ(ReadFile(path), bytes);
}

}  // namespace
}  // namespace zeb

namespace zeb {
namespace {

std::vector<std::string> LinesOf(const Document& doc) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < doc.LineCount(); ++i)
    lines.emplace_back(doc.Buffer().LineText(i));
  return lines;
}

// A front end mirrors the text from the changes alone: applying each reported range, of bytes
// or of lines, to a copy must give the document's text, whatever the kind of change.
TEST(Document, ReportedChangesReproduceTheText) {
  EditView view(std::make_shared<Document>("m.cpp", TextBuffer::FromBytes("a\r\nbb\n\nccc")), 8);
  Document& doc = view.GetDocument();
  std::string mirror = doc.Buffer().ToBytes();
  std::vector<std::string> lines = LinesOf(doc);
  std::vector<TextChange::Kind> kinds;
  TextChange last;
  doc.SetChangeListener([&](Document& d, const TextChange& c) {
    kinds.push_back(c.kind);
    last = c;
    EXPECT_EQ(d.Buffer().LineOf(c.offset), c.firstLine);
    mirror.replace(c.offset, c.removed, d.Bytes(c.offset, c.inserted));
    EXPECT_EQ(mirror, d.Buffer().ToBytes());
    ASSERT_LE(c.firstLine + c.removedLines, lines.size());
    ASSERT_LE(c.firstLine + c.insertedLines, d.LineCount());
    const std::vector<std::string> now = LinesOf(d);
    const auto at = [](auto& v, std::size_t i) {
      return v.begin() + static_cast<std::ptrdiff_t>(i);
    };
    lines.erase(at(lines, c.firstLine), at(lines, c.firstLine + c.removedLines));
    lines.insert(at(lines, c.firstLine), at(now, c.firstLine),
                 at(now, c.firstLine + c.insertedLines));
    EXPECT_EQ(lines, now);
  });
  ASSERT_TRUE(view.Select({2, 1}, {4, 2}));
  view.IndentBlock(4);
  ASSERT_TRUE(view.SetCursor({4, 4}));
  view.InsertText("x\ny");
  ASSERT_TRUE(view.Undo());
  ASSERT_TRUE(view.Undo());
  ASSERT_TRUE(view.Redo());
  EXPECT_EQ(mirror, "a\r\n    bb\n\n    ccc");
  ASSERT_TRUE(view.SetCursor({4, 3}));
  view.InsertText("z");  // a typed character is reported as itself
  EXPECT_EQ(mirror, "a\r\n    bb\n\n  z  ccc");
  EXPECT_EQ((std::vector<std::size_t>{last.offset, last.removed, last.inserted, last.firstLine,
                                      last.removedLines, last.insertedLines}),
            (std::vector<std::size_t>{13, 0, 1, 3, 1, 1}));
  ASSERT_TRUE(view.Select({2, 1}, {4, 2}));
  view.IndentBlock(-2);  // down to the last line
  EXPECT_EQ(mirror, "a\r\n  bb\n\nz  ccc");
  const std::vector<TextChange::Kind> expected{TextChange::Kind::Edit, TextChange::Kind::Edit,
                                               TextChange::Kind::Undo, TextChange::Kind::Undo,
                                               TextChange::Kind::Redo, TextChange::Kind::Edit,
                                               TextChange::Kind::Edit};
  EXPECT_EQ(kinds, expected);
}

}  // namespace
}  // namespace zeb
