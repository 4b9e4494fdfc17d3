// FindBar: the find and replace bar under the editors. It searches the current pane's text
// (as shown) from the caret, wrapping at the end, as the user types (incremental search), with
// Match case, Whole word and Regular expression (the C++ standard library's ECMAScript syntax;
// a replacement may use \1 to \9); every match on screen is marked (SearchHighlight) while the
// bar is open. Opened over a selection within one line, it searches for the selected text. A
// replacement is an edit like any other.
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zeb {

class EditorWidget;
class SearchHighlight;

class FindBar : public QWidget {
  Q_OBJECT

 public:
  explicit FindBar(QWidget* parent = nullptr);

  // The pane searched; null for none.
  void SetEditor(EditorWidget* editor);
  // Shows the bar, with the replace row when `replace`, the search text selected.
  void Open(bool replace);

  QLineEdit* FindText() const noexcept { return find_; }
  QLineEdit* ReplaceText() const noexcept { return replace_; }
  QCheckBox* MatchCase() const noexcept { return matchCase_; }
  QCheckBox* WholeWord() const noexcept { return wholeWord_; }
  QCheckBox* RegularExpression() const noexcept { return regex_; }
  // What the bar says of the last search ("Not found"), empty for nothing.
  QString Note() const;

 public slots:
  // Selects the next (or previous) match; false, with a note in the bar, when there is none.
  bool FindNext();
  bool FindPrevious();
  void ReplaceOne();
  // Replaces every match as one undo step; the number replaced.
  int ReplaceAll();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  enum class From { SelectionStart, SelectionEnd, SearchStart };
  bool Find(bool forward, From from);
  // The component's search flags for the boxes ticked.
  int Flags() const;
  QByteArray Needle() const;
  void Highlight();
  void SearchAsTyped();
  // Says that the search text is not found (or not a valid expression), or clears that.
  void ShowResult(bool found, bool invalid = false);

  EditorWidget* editor_ = nullptr;
  QLineEdit* find_;
  QLineEdit* replace_;
  QCheckBox* matchCase_;
  QCheckBox* wholeWord_;
  QCheckBox* regex_;
  QWidget* replaceRow_;
  QLabel* note_;
  SearchHighlight* highlight_;
  // Where a search as the user types starts: the caret when the bar opened, or the match that
  // Next or Previous found last.
  long searchStart_ = -1;
};

}  // namespace zeb
