#include "ide/qt/TabCommands.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QUrl>

#include "ide/core/EditView.h"
#include "ide/qt/EdgeGuard.h"
#include "ide/qt/EditorWidget.h"
#include "ide/qt/MainWindow.h"
#include "ide/qt/QtStrings.h"

namespace zeb {

TabCommands::TabCommands(MainWindow& window) : QObject(&window), window_(window) {
  window_.Tabs()->tabBar()->installEventFilter(this);
}

QMenu* TabCommands::MenuFor(int index) {
  auto* menu = new QMenu(&window_);
  const std::vector<EditorWidget*> panes = window_.PanesOf(index);
  const QString path = panes.empty() ? QString() : Q(panes.front()->View()->GetDocument().Path());
  MainWindow& w = window_;
  // The tab is found again when the item runs: closing others may have moved it.
  QWidget* tab = w.Tabs()->widget(index);
  const auto run = [this, tab](const QString& what, const std::function<void(int)>& work) {
    return [this, tab, what, work] {
      const int at = window_.Tabs()->indexOf(tab);
      if (at >= 0) RunAtEdge(what, [&] { work(at); });
    };
  };
  menu->addAction(tr("&Close"), this, run(tr("Closing a tab"), [&w](int at) { w.CloseTab(at); }));
  menu->addAction(tr("Close &Others"), this,
                  run(tr("Closing the other tabs"), [&w](int at) { w.CloseOthers(at); }))
      ->setEnabled(w.Tabs()->count() > 1);
  menu->addAction(tr("Close &All"), this,
                  run(tr("Closing every tab"), [&w](int) { w.CloseAll(); }));
  menu->addSeparator();
  menu->addAction(tr("Copy &Path"), this, [path] { QApplication::clipboard()->setText(path); })
      ->setEnabled(!path.isEmpty());
  menu->addAction(tr("Show in &Folder"), this,
                  [&w, path] {
                    const QUrl folder = QUrl::fromLocalFile(QFileInfo(path).absolutePath());
                    if (w.onOpenUrl)
                      w.onOpenUrl(folder);
                    else if (!QDesktopServices::openUrl(folder))
                      w.Report(tr("Show in Folder"),
                               tr("No program opened the folder %1.").arg(folder.toLocalFile()));
                  })
      ->setEnabled(!path.isEmpty());
  return menu;
}

bool TabCommands::eventFilter(QObject* watched, QEvent* event) {
  auto* bar = qobject_cast<QTabBar*>(watched);
  if (bar == nullptr) return false;
  if (event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const int index = bar->tabAt(mouse->position().toPoint());
    if (mouse->button() == Qt::MiddleButton && index >= 0) {
      RunAtEdge(tr("Closing a tab"), [this, index] { window_.CloseTab(index); });
      return true;
    }
  } else if (event->type() == QEvent::ContextMenu) {
    const auto* menuEvent = static_cast<QContextMenuEvent*>(event);
    const int index = bar->tabAt(menuEvent->pos());
    if (index >= 0) {
      QMenu* menu = MenuFor(index);
      menu->setAttribute(Qt::WA_DeleteOnClose);
      menu->popup(menuEvent->globalPos());
      return true;
    }
  }
  return false;
}

}  // namespace zeb
