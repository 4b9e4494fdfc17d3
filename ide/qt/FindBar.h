// FindBar: the find and replace bar under the editors. It searches the current pane's text
// (as shown) from the caret, wrapping at the end; a replacement is an edit like any other.
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zeb {

class EditorWidget;

class FindBar : public QWidget {
  Q_OBJECT

 public:
  explicit FindBar(QWidget* parent = nullptr);

  // The pane searched; null hides the bar's effect.
  void SetEditor(EditorWidget* editor) { editor_ = editor; }
  // Shows the bar, with the replace row when `replace`, the search text selected.
  void Open(bool replace);

  QLineEdit* FindText() const noexcept { return find_; }
  QLineEdit* ReplaceText() const noexcept { return replace_; }

 public slots:
  // Selects the next (or previous) match; false, with a note in the bar, when there is none.
  bool FindNext();
  bool FindPrevious();
  void ReplaceOne();
  // Replaces every match as one undo step; the number replaced.
  int ReplaceAll();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool Find(bool forward, bool fromSelectionStart);

  EditorWidget* editor_ = nullptr;
  QLineEdit* find_;
  QLineEdit* replace_;
  QCheckBox* matchCase_;
  QWidget* replaceRow_;
  QLabel* note_;
};

}  // namespace zeb
