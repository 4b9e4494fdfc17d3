// FormDialog: a form of the form library drawn as a Qt dialog, from the form's properties and
// controls (its caption, frame, position, client size, colour, font, and each control's place).
#pragma once

#include <QDialog>
#include <vector>

class QPlainTextEdit;

namespace zeb {

class TForm;
class TMemo;

class FormDialog : public QDialog {
  Q_OBJECT

 public:
  explicit FormDialog(TForm& form, QWidget* parent = nullptr);

  // Copies what the user edited back into the form's controls (the memo's lines).
  void StoreIntoForm();

  // The editor drawn for each memo, in the form's control order.
  const std::vector<QPlainTextEdit*>& Memos() const { return memos_; }

 private:
  QPlainTextEdit* AddMemo(TMemo& memo);

  TForm& form_;
  std::vector<QPlainTextEdit*> memos_;
  std::vector<TMemo*> memoControls_;
};

// Makes fonts the form library names (Korean system fonts among them) resolve to installed ones.
void InstallFontSubstitutions();

}  // namespace zeb
