// TracePanel: the trace viewer, docked at the bottom of the window (Tools -> Trace Viewer).
//
// Today the panel runs the viewer program, zeb-trace, as a child process and shows what it
// prints; the window knows only this class's interface (toggle, stop, whether it runs, its
// dock), so that the viewer can move into the window's own process without changes elsewhere.
// Closing the panel stops the viewer, which frees the trace socket for another viewer.
#pragma once

#include <QObject>
#include <QString>

class QDockWidget;
class QMainWindow;
class QPlainTextEdit;
class QProcess;

namespace zeb {

class TracePanel final : public QObject {
  Q_OBJECT

 public:
  // `viewer` is the viewer program to run.
  TracePanel(QMainWindow& window, QString viewer);
  ~TracePanel() override;

  // Starts the viewer in a shown panel, shows a hidden panel, or stops a shown one.
  void Toggle();
  void Stop();
  bool Running() const;
  // The dock and the text it shows; null until the viewer was first started.
  QDockWidget* Dock() const noexcept { return dock_; }
  QPlainTextEdit* Output() const noexcept { return output_; }

 signals:
  void RunningChanged(bool running);
  // The viewer could not be started: the text says why.
  void Failed(const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Start();
  void Show(QByteArray bytes);

  QMainWindow& window_;
  QString viewer_;
  QProcess* process_ = nullptr;
  QDockWidget* dock_ = nullptr;
  QPlainTextEdit* output_ = nullptr;
};

}  // namespace zeb
