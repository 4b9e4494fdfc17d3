// TabCommands: what the tab bar offers besides a click: a middle click closes a tab, and its
// context menu offers Close, Close Others, Close All, Copy Path and Show in Folder. (Ctrl+PgUp
// and Ctrl+PgDn, which switch tabs, are the menus'.)
#pragma once

#include <QObject>

class QMenu;

namespace zeb {

class MainWindow;

class TabCommands final : public QObject {
  Q_OBJECT

 public:
  explicit TabCommands(MainWindow& window);

  // The context menu of tab `index`, made anew; the caller owns it.
  QMenu* MenuFor(int index);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  MainWindow& window_;
};

}  // namespace zeb
