// EditorWidget: the editor of one edit view. Qt does the editing a user expects (cursor
// movement, mouse selection, clipboard, input methods), and the widget keeps the view in step
// with the screen both ways:
//   - every change the user makes on screen becomes one edit of the document, and the cursor and
//     selection become the view's cursor and block, so an add-in reads what is on screen;
//   - every change made through the IDE (a block command, undo, redo, another view of the same
//     document) is copied to the screen, lines that did not change left alone.
// Key presses go through the IDE's key bindings first; only a key that no binding takes reaches
// Qt's own handling.
#pragma once

#include <QPlainTextEdit>
#include <memory>
#include <vector>

#include "ide/qt/LineCodec.h"
#include "ide/text/TextBuffer.h"
#include "ide/text/TextPos.h"

namespace zebide {
class Ide;
class EditView;
}  // namespace zebide

namespace ide::qt {

class EditorWidget : public QPlainTextEdit {
  Q_OBJECT

 public:
  // `codec` is the document's: every view of one document shows it the same way.
  EditorWidget(zebide::Ide& ide, std::shared_ptr<zebide::EditView> view, LineCodec codec,
               QWidget* parent = nullptr);

  const std::shared_ptr<zebide::EditView>& View() const noexcept { return view_; }
  const LineCodec& Codec() const noexcept { return codec_; }

  // Copies the document's changes to the screen (only the lines that differ); the view then
  // takes the screen's cursor and selection, which Qt kept on the same text.
  void SyncFromDocument();
  // Shows the view's cursor and block as the screen's cursor and selection (after a command
  // that set them).
  void SyncSelectionFromView();

  // Why the editor is read-only, or empty: a file with characters that the editor would take
  // for line breaks (a lone CR, U+2029) cannot be edited without changing its lines.
  const QString& ReadOnlyReason() const noexcept { return readOnlyReason_; }

  // True when the screen shows exactly the document's lines, and the view's cursor and block are
  // the screen's cursor and selection.
  bool InStep() const;

  // The screen position of a place in the text, and back.
  int PositionOf(zebide::TextPos pos) const;
  zebide::TextPos TextPosAt(int position) const;

 signals:
  // The cursor moved or the text changed: the status bar follows.
  void StatusChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  void OnContentsChange(int position, int charsRemoved, int charsAdded);
  void OnCursorMoved();
  void MakeTopView();
  void ReplaceScreenLines(int first, int oldCount, const QStringList& lines);
  // Shows the document anew, whole; the way back to a known state after anything unexpected.
  void ResetFromDocument();
  void PushSelectionToView();

  zebide::Ide& ide_;
  std::shared_ptr<zebide::EditView> view_;
  LineCodec codec_;
  // The document's lines as the screen shows them now.
  std::vector<zebide::Line> shown_;
  // Set while the widget changes the screen itself, or hands the user's change to the document.
  bool syncing_ = false;
  QString readOnlyReason_;
};

}  // namespace ide::qt
