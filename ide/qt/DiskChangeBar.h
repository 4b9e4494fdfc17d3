// DiskChangeBar: the bar above the editors that says another program changed, replaced or
// removed the file shown, and offers what can be done: Reload or Keep mine for a file that
// changed while the document has changes of its own; a dismissal for a file that has gone.
#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

namespace zeb {

class DiskChangeBar final : public QFrame {
  Q_OBJECT

 public:
  explicit DiskChangeBar(QWidget* parent = nullptr);

  // Shows `text`; with `offerReload` the Reload and Keep mine buttons, else only a dismissal.
  void ShowNotice(const QString& text, bool offerReload);
  QString Text() const;
  QPushButton* ReloadButton() const noexcept { return reload_; }
  QPushButton* KeepButton() const noexcept { return keep_; }

 signals:
  void ReloadChosen();
  // Keep mine, or the dismissal of a notice that offers nothing else.
  void KeepChosen();

 private:
  QLabel* text_;
  QPushButton* reload_;
  QPushButton* keep_;
};

}  // namespace zeb
