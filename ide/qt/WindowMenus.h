// WindowMenus: the window's menu bar and its actions (File, Edit, View, Tools, Help), with their
// shortcuts. A key that no key binding takes is offered to the shortcuts first (RunShortcut), so
// that the IDE's bindings come before the menus. Each action runs at an event edge (EdgeGuard):
// whatever it raises is reported and the window goes on.
#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QKeyEvent;
class QMenu;

namespace zeb {

class MainWindow;

class WindowMenus final : public QObject {
  Q_OBJECT

 public:
  explicit WindowMenus(MainWindow& window);

  // An action by its text without "&" and "...", or null.
  QAction* Action(const QString& text) const;
  // Runs the action whose shortcut is the key, or opens the menu whose underlined letter it is
  // with Alt; false when there is none.
  bool RunShortcut(const QKeyEvent& event);
  // The Trace Viewer item's check mark.
  void SetTraceChecked(bool checked);

 private:
  void Build();
  QAction* Add(QMenu* menu, const QString& text, const QList<QKeySequence>& keys,
               const std::function<void()>& run);
  void FillRecentMenu();
  void FillModuleMenu();
  void FillEncodingMenu();

  MainWindow& window_;
  QList<QAction*> actions_;
  QMenu* recentMenu_ = nullptr;
  QMenu* moduleMenu_ = nullptr;
  QMenu* encodingMenu_ = nullptr;
  QAction* traceAction_ = nullptr;
};

}  // namespace zeb
