// FileDrop: files dragged from a file manager and dropped on the window open, as with File ->
// Open, wherever they land: on a pane, the tab bar or the empty window. Text dragged into a pane
// stays the editor's, to insert.
#pragma once

#include <QObject>
#include <QStringList>

class QMimeData;
class QWidget;

namespace zeb {

class MainWindow;

class FileDrop final : public QObject {
  Q_OBJECT

 public:
  explicit FileDrop(MainWindow& window);

  // Files dropped on `widget` (a pane's viewport, the window) open.
  void Watch(QWidget& widget);
  // The local files that `data` carries; none for text and for other places' links.
  static QStringList LocalFiles(const QMimeData* data);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  MainWindow& window_;
};

}  // namespace zeb
