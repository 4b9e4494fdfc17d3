#include "ide/qt/TracePanel.h"

#include <QDockWidget>
#include <QEvent>
#include <QMainWindow>

#include "viewer/window/TraceView.h"
#include "viewer/window/TraceWindow.h"

namespace zeb {

TracePanel::TracePanel(QMainWindow& window) : QObject(&window), window_(window) {}

TracePanel::~TracePanel() {
  Stop();
}

bool TracePanel::Running() const {
  return view_ != nullptr && view_->Receiving();
}

void TracePanel::Toggle() {
  if (!Running()) {
    Start();
    return;
  }
  if (dock_->isVisible()) {
    Stop();
    dock_->hide();
  } else {
    dock_->show();
  }
  emit RunningChanged(Running());
}

void TracePanel::Start() {
  if (dock_ == nullptr) {
    dock_ = new QDockWidget(tr("Trace"), &window_);
    dock_->setObjectName(QStringLiteral("TraceDock"));
    dock_->installEventFilter(this);
    view_ = new TraceView(true, dock_);
    view_->ForPanel();
    // A log opens in a trace window of its own.
    connect(view_, &TraceView::openLogRequested, this, [this](const QString& path) {
      if (const auto why = TraceWindow::OpenLogWindow(path, &window_)) emit Failed(*why);
    });
    dock_->setWidget(view_);
    window_.addDockWidget(Qt::BottomDockWidgetArea, dock_);
  }
  dock_->show();
  // When another viewer runs, the view says so in its place.
  emit RunningChanged(view_->StartReceiving());
}

void TracePanel::Stop() {
  if (!Running()) return;
  view_->StopReceiving();  // the socket goes; what came stays shown
  emit RunningChanged(false);
}

bool TracePanel::eventFilter(QObject* watched, QEvent* event) {
  // Closing the panel with its close control stops its viewer, which frees the socket.
  if (watched == dock_ && event->type() == QEvent::Close) Stop();
  return QObject::eventFilter(watched, event);
}

}  // namespace zeb
