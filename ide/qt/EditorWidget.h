// EditorWidget: one editor pane, showing one edit view of a document through the shared
// DocumentScreen. The component does the editing a user expects (cursor movement, mouse
// selection, clipboard, input methods, highlighting); the pane keeps its view's cursor and block
// equal to the screen's caret and selection, as byte positions, both ways.
// Key presses go through the IDE's key bindings first; a key no binding takes goes to the
// window's shortcuts, then to the component. A key with Ctrl, Alt or Super that none of them
// takes types nothing.
//
// Highlighting: the component styles the text in order from the top, the part above the screen
// while the window is idle. After a jump far ahead (Ctrl+End in a large file) the lines on
// screen are styled at once on their own, as if no comment or string were open above them,
// until the idle styling reaches them and styles them for good.
#pragma once

#include <Qsci/qsciscintilla.h>

#include <QByteArray>
#include <functional>
#include <memory>

#include "ide/qt/ScreenEncoding.h"
#include "ide/text/TextPos.h"

namespace zeb {
class Ide;
class EditView;
}  // namespace zeb

namespace zeb {

class DocumentScreen;

class EditorWidget : public QsciScintilla {
  Q_OBJECT

 public:
  EditorWidget(zeb::Ide& ide, std::shared_ptr<zeb::EditView> view, DocumentScreen& screen,
               QWidget* parent = nullptr);
  ~EditorWidget() override;

  const std::shared_ptr<zeb::EditView>& View() const noexcept { return view_; }
  DocumentScreen& Screen() const noexcept { return screen_; }

  // Shows the view's cursor and block as the screen's caret and selection.
  void SyncSelectionFromView();
  // The view takes the screen's caret and selection.
  void PushSelectionToView();

  // The component's text, as bytes.
  QByteArray ScreenBytes() const;
  // True when the screen shows the document and the view's cursor and block are the screen's.
  bool InStep() const;

  // The component's byte positions of places in the text, and back.
  long PositionOf(zeb::TextPos pos) const;
  zeb::TextPos TextPosAt(long position) const;
  long Caret() const;
  long Anchor() const;
  // The caret's column in characters, tabs expanded, from 1.
  int CaretColumn() const;
  void SetSelection(long anchor, long caret);

  // Sets the highlighting for the file's name (after Save As, another language's).
  void ApplyLexer();

  // Sends a message to the component with integer arguments.
  long Send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const {
    return SendScintilla(message, wParam, lParam);
  }

  // Offered each key that no key binding took, before the component sees it; true when it
  // was used (the window's shortcuts).
  std::function<bool(QKeyEvent&)> onKeyPassedOn;

 signals:
  // The caret, the selection or the text changed: the status bar follows.
  void StatusChanged();

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  QMimeData* toMimeData(const QByteArray& text, bool rectangular) const override;
  void dropEvent(QDropEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void MakeTopView();
  void HandleKey(QKeyEvent& event);
  void StyleLinesOnScreen();

  zeb::Ide& ide_;
  std::shared_ptr<zeb::EditView> view_;
  DocumentScreen& screen_;
  // The range styled ahead of the idle styling last, and the text's version then.
  long guessedFrom_ = -1;
  long guessedTo_ = -1;
  std::size_t guessedVersion_ = 0;
};

}  // namespace zeb
