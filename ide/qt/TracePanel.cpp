#include "ide/qt/TracePanel.h"

#include <QDockWidget>
#include <QEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProcess>

namespace zeb {

TracePanel::TracePanel(QMainWindow& window, QString viewer)
    : QObject(&window), window_(window), viewer_(std::move(viewer)) {}

TracePanel::~TracePanel() {
  Stop();
}

bool TracePanel::Running() const {
  return process_ != nullptr && process_->state() != QProcess::NotRunning;
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

void TracePanel::Show(QByteArray bytes) {
  // The viewer's hint for a terminal means nothing in the panel, and the panel says itself when
  // the viewer has stopped.
  bytes.replace(" (Ctrl+C to stop)", "");
  bytes.replace("zeb-trace: stopped\n", "");
  output_->moveCursor(QTextCursor::End);
  output_->insertPlainText(QString::fromUtf8(bytes));
}

void TracePanel::Start() {
  if (!QFileInfo(viewer_).isExecutable()) {
    emit RunningChanged(false);
    emit Failed(tr("The trace viewer %1 is not installed.").arg(viewer_));
    return;
  }
  if (dock_ == nullptr) {
    dock_ = new QDockWidget(tr("Trace"), &window_);
    dock_->setObjectName(QStringLiteral("TraceDock"));
    dock_->installEventFilter(this);
    output_ = new QPlainTextEdit(dock_);
    output_->setReadOnly(true);
    output_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    dock_->setWidget(output_);
    window_.addDockWidget(Qt::BottomDockWidgetArea, dock_);
  }
  dock_->show();
  delete process_;
  process_ = new QProcess(this);
  connect(process_, &QProcess::readyReadStandardOutput, this,
          [this] { Show(process_->readAllStandardOutput()); });
  connect(process_, &QProcess::readyReadStandardError, this,
          [this] { Show(process_->readAllStandardError()); });
  connect(process_, &QProcess::finished, this, [this](int code, QProcess::ExitStatus) {
    Show(process_->readAllStandardOutput() + process_->readAllStandardError());
    output_->appendPlainText(code == 0 ? tr("[the trace viewer stopped]")
                                       : tr("[the trace viewer stopped with status %1: no "
                                            "traces are shown here]")
                                             .arg(code));
    emit RunningChanged(false);
  });
  process_->start(viewer_, {});
  emit RunningChanged(true);
}

void TracePanel::Stop() {
  if (!Running()) return;
  // The viewer removes its socket when it is told to stop.
  process_->terminate();
  if (!process_->waitForFinished(2000)) {
    process_->kill();
    process_->waitForFinished(1000);
  }
  emit RunningChanged(false);
}

bool TracePanel::eventFilter(QObject* watched, QEvent* event) {
  // Closing the panel with its close control stops its viewer, which frees the socket.
  if (watched == dock_ && event->type() == QEvent::Close) Stop();
  return QObject::eventFilter(watched, event);
}

}  // namespace zeb
