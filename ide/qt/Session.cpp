#include "ide/qt/Session.h"

#include <QFileInfo>
#include <QSettings>
#include <QSplitter>
#include <QTabWidget>

#include "ide/core/EditView.h"
#include "ide/qt/EditorWidget.h"
#include "ide/qt/MainWindow.h"
#include "ide/qt/QtStrings.h"

namespace zeb {

namespace {

const QString kGeometry = QStringLiteral("window/geometry");
const QString kState = QStringLiteral("window/state");
const QString kTabs = QStringLiteral("session/tabs");
const QString kCurrent = QStringLiteral("session/current");
const QString kPath = QStringLiteral("path");
const QString kPanes = QStringLiteral("panes");  // "LINE:COLUMN:TOP" of each pane
const QString kSizes = QStringLiteral("sizes");  // of the split's panes: "500,500"

using Base = QsciScintillaBase;

QString PaneState(const EditorWidget& pane) {
  const TextPos cursor = pane.View()->Cursor();
  const long top = pane.Send(Base::SCI_DOCLINEFROMVISIBLE,
                             static_cast<unsigned long>(pane.Send(Base::SCI_GETFIRSTVISIBLELINE)));
  return QStringLiteral("%1:%2:%3").arg(cursor.line).arg(cursor.col).arg(top + 1);
}

void RestorePane(EditorWidget& pane, const QString& state) {
  const QStringList parts = state.split(QLatin1Char(':'));
  if (parts.size() != 3) return;
  const Document& document = pane.View()->GetDocument();
  const TextPos cursor = document.Clamp({parts[0].toInt(), parts[1].toInt()});
  pane.View()->SetCursor(cursor);
  pane.SyncSelectionFromView();
  const long top = std::max(0, parts[2].toInt() - 1);
  pane.Send(Base::SCI_SETFIRSTVISIBLELINE,
            static_cast<unsigned long>(
                pane.Send(Base::SCI_VISIBLEFROMDOCLINE, static_cast<unsigned long>(top))));
}

}  // namespace

void SaveSession(MainWindow& window) {
  QSettings settings;
  settings.setValue(kGeometry, window.saveGeometry());
  settings.setValue(kState, window.saveState());
  QTabWidget& tabs = *window.Tabs();
  settings.beginWriteArray(kTabs);
  int kept = 0;
  int current = 0;
  for (int i = 0; i < tabs.count(); ++i) {
    const std::vector<EditorWidget*> panes = window.PanesOf(i);
    // An untitled document, or a new one never saved, has no file to reopen.
    if (panes.empty() || !QFileInfo(Q(panes.front()->View()->GetDocument().Path())).isFile())
      continue;
    if (i == tabs.currentIndex()) current = kept;
    settings.setArrayIndex(kept++);
    settings.setValue(kPath, Q(panes.front()->View()->GetDocument().Path()));
    QStringList states;
    for (const EditorWidget* pane : panes)
      states << PaneState(*pane);
    settings.setValue(kPanes, states);
    QStringList sizes;
    if (const auto* split = qobject_cast<QSplitter*>(tabs.widget(i)))
      for (const int size : split->sizes())
        sizes << QString::number(size);
    settings.setValue(kSizes, sizes.join(QLatin1Char(',')));
  }
  settings.endArray();
  settings.setValue(kCurrent, current);
}

void RestoreWindowState(MainWindow& window) {
  const QSettings settings;
  const QByteArray geometry = settings.value(kGeometry).toByteArray();
  if (!geometry.isEmpty()) window.restoreGeometry(geometry);
  const QByteArray state = settings.value(kState).toByteArray();
  if (!state.isEmpty()) window.restoreState(state);
}

int ReopenSession(MainWindow& window) {
  QSettings settings;
  struct Tab {
    QString path;
    QStringList panes;
    QList<int> sizes;
  };
  std::vector<Tab> tabs;
  const int count = settings.beginReadArray(kTabs);
  for (int i = 0; i < count; ++i) {
    settings.setArrayIndex(i);
    Tab tab{settings.value(kPath).toString(), settings.value(kPanes).toStringList(), {}};
    for (const QString& size : settings.value(kSizes).toString().split(QLatin1Char(',')))
      tab.sizes << size.toInt();
    tabs.push_back(tab);
  }
  settings.endArray();
  const int current = settings.value(kCurrent).toInt();

  int reopened = 0;
  QWidget* front = nullptr;
  for (std::size_t i = 0; i < tabs.size(); ++i) {
    const Tab& tab = tabs[i];
    if (!QFileInfo(tab.path).isFile()) continue;
    EditorWidget* pane = window.OpenFile(tab.path);
    if (pane == nullptr) continue;
    ++reopened;
    for (int extra = 1; extra < tab.panes.size(); ++extra)
      window.SplitView();
    const std::vector<EditorWidget*> panes = window.PanesOf(pane->View()->GetDocument());
    for (std::size_t p = 0; p < panes.size() && p < static_cast<std::size_t>(tab.panes.size()); ++p)
      RestorePane(*panes[p], tab.panes[static_cast<qsizetype>(p)]);
    auto* split = qobject_cast<QSplitter*>(pane->parentWidget());
    if (split != nullptr && tab.sizes.size() == split->count()) split->setSizes(tab.sizes);
    if (static_cast<int>(i) == current) front = pane;
  }
  if (auto* pane = qobject_cast<EditorWidget*>(front)) window.Ide().Activate(pane->View());
  return reopened;
}

}  // namespace zeb
