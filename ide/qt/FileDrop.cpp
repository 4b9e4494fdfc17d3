#include "ide/qt/FileDrop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include "ide/qt/EdgeGuard.h"
#include "ide/qt/MainWindow.h"

namespace zeb {

FileDrop::FileDrop(MainWindow& window) : QObject(&window), window_(window) {
  Watch(window);
}

void FileDrop::Watch(QWidget& widget) {
  widget.setAcceptDrops(true);
  widget.installEventFilter(this);
}

QStringList FileDrop::LocalFiles(const QMimeData* data) {
  QStringList files;
  if (data == nullptr || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) files << url.toLocalFile();
  return files;
}

bool FileDrop::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDropEvent*>(event);
      if (LocalFiles(drag->mimeData()).isEmpty()) return false;
      drag->setDropAction(Qt::CopyAction);
      drag->accept();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      const QStringList files = LocalFiles(drop->mimeData());
      if (files.isEmpty()) return false;
      drop->setDropAction(Qt::CopyAction);
      drop->accept();
      for (const QString& file : files)
        RunAtEdge(tr("Opening %1").arg(file), [this, &file] { window_.OpenFile(file); });
      return true;
    }
    default:
      return QObject::eventFilter(watched, event);
  }
}

}  // namespace zeb
