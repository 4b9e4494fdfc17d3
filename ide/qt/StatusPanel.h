// StatusPanel: the status bar's fields for the pane the user works in: line and column (in
// characters as drawn, with the byte column the add-in counts where they differ: "Col 9 (byte
// 2)" after a tab), tab width, encoding, the line end new lines get, and the modified flag.
#pragma once

#include <QString>

class QLabel;
class QStatusBar;

namespace zeb {

class EditorWidget;

class StatusPanel {
 public:
  explicit StatusPanel(QStatusBar& bar);

  // Shows the fields of `pane`, or none without one.
  void Show(const EditorWidget* pane);
  // The fields shown, joined: "Ln 3, Col 9 (byte 2) | Tab 8 | UTF-8 | LF | Modified".
  QString Text() const;
  // A note shown for a few seconds where the status bar shows messages.
  void Note(const QString& text);

 private:
  QStatusBar& bar_;
  QLabel* position_;
  QLabel* tabWidth_;
  QLabel* encoding_;
  QLabel* lineEnd_;
  QLabel* modified_;
};

}  // namespace zeb
