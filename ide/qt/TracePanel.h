// TracePanel: the trace viewer, docked at the bottom of the window (Tools -> Trace Viewer).
//
// The panel is zeb-trace's own view (viewer/window/TraceView): the same table, rules, find, logs
// and settings as the trace window, in this process. Its server runs on a thread of its own, so
// that a TRACE from an add-in on the window's thread is answered without waiting for it; no other
// program runs, and nothing parses another program's output. Closing the panel stops the viewer,
// which frees the trace socket for another; when another viewer already runs, the panel says so
// in its place and shows no traces.
#pragma once

#include <QObject>

class QDockWidget;
class QMainWindow;

namespace zeb {

class TraceView;

class TracePanel final : public QObject {
  Q_OBJECT

 public:
  explicit TracePanel(QMainWindow& window);
  ~TracePanel() override;

  // Makes a shown panel the viewer, shows a hidden panel, or stops a shown one.
  void Toggle();
  void Stop();
  bool Running() const;
  // The dock and the view it shows; null until the panel was first opened.
  QDockWidget* Dock() const noexcept { return dock_; }
  TraceView* View() const noexcept { return view_; }

 signals:
  void RunningChanged(bool running);
  // A log was asked for and could not be opened: the text says why.
  void Failed(const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Start();

  QMainWindow& window_;
  QDockWidget* dock_ = nullptr;
  TraceView* view_ = nullptr;
};

}  // namespace zeb
