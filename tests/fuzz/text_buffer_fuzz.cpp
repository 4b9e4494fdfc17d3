// The text buffer from any bytes: saved without edits it gives the same bytes; edits read from
// the input keep it equal to a plain string, and undoing them all gives the bytes back.
//
// Input: the first half is the text; the rest is a list of edits of 4 bytes (offset, length to
// remove, which piece to insert, and whether to undo one step or indent lines instead). An indent
// (first line, line count, columns) must give the lines that BlockEditing::Indent gives.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ide/text/BlockEditing.h"
#include "ide/text/Document.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {
// `text` with its lines [first, first + count) indented by `columns`, line ends kept.
std::string Indented(std::string_view text, std::size_t first, std::size_t count,
                     std::int32_t columns, std::int32_t tabWidth) {
  std::string out;
  std::size_t start = 0;
  for (std::size_t line = 0;; ++line) {
    const std::size_t lf = text.find('\n', start);
    const std::size_t end = lf == std::string_view::npos ? text.size() : lf + 1;
    std::string_view body = text.substr(start, end - start);
    std::string_view lineEnd;
    if (lf != std::string_view::npos) {
      const std::size_t n = body.size() > 1 && body[body.size() - 2] == '\r' ? 2 : 1;
      lineEnd = body.substr(body.size() - n);
      body.remove_suffix(n);
    }
    if (line >= first && line - first < count)
      out += zeb::BlockEditing::Indent(body, columns, tabWidth).text;
    else
      out += body;
    out += lineEnd;
    if (lf == std::string_view::npos) return out;
    start = end;
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view text = input.substr(0, size / 2);
  std::string_view edits = input.substr(size / 2);

  zeb::Document doc("fuzz.pas", zeb::TextBuffer::FromBytes(text));
  CHECK(doc.Buffer().ToBytes() == text);
  CHECK(doc.Buffer().Contiguous() == text);

  static const std::string_view pieces[] = {"", "a", "\n", "\r\n", "\r", "x\ny\r\nz", "\t  "};
  std::string model;
  while (edits.size() >= 4) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(edits[i]); };
    if (b(3) & 0x80) {
      doc.Undo();
    } else if (b(3) & 0x40) {
      const std::size_t first = b(0) % doc.LineCount();
      const std::size_t count = 1 + b(1) % (doc.LineCount() - first);
      const std::int32_t columns = b(2) % 13 - 6;
      const std::string before = doc.Buffer().ToBytes();
      const bool changed = doc.IndentLines(first, count, columns, 4, {}, {});
      const std::string after = doc.Buffer().ToBytes();
      CHECK(after == Indented(before, first, count, columns, 4));
      CHECK(changed == (after != before));
    } else {
      const std::size_t offset = b(0) * doc.ByteSize() / 256;
      const std::size_t removed = std::min<std::size_t>(b(1) % 8, doc.ByteSize() - offset);
      const std::string_view piece = pieces[b(2) % std::size(pieces)];
      doc.Edit(offset, removed, piece, {}, {});
      CHECK(doc.Buffer().Span(offset, 16) == doc.Buffer().Bytes(offset, 16));
    }
    edits.remove_prefix(4);
  }
  model = doc.Buffer().ToBytes();
  const std::size_t steps = doc.History().UndoCount();
  std::size_t lines = 1;
  for (const char c : model)
    lines += c == '\n';
  CHECK(doc.LineCount() == lines);
  for (std::size_t i = 0; i < doc.LineCount(); ++i)
    CHECK(doc.Buffer().LineOf(doc.LineOffset(i)) == i);

  while (doc.Undo()) {
  }
  CHECK(doc.Buffer().ToBytes() == text);
  CHECK(!doc.Modified());
  for (std::size_t i = 0; i < steps; ++i)
    CHECK(doc.Redo());
  CHECK(doc.Buffer().ToBytes() == model);
  return 0;
}
