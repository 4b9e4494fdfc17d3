// zeb-trace's window (zeb-trace --window): the trace view with menus and a status bar, live (the
// user's trace viewer) or on a log. Its geometry is remembered, as the view's settings are.
#pragma once

#include <QMainWindow>
#include <optional>
#include <string>

namespace zeb {

class TraceView;

class TraceWindow : public QMainWindow {
  Q_OBJECT

 public:
  // A live window reads and writes the user's settings; a log's window does not.
  explicit TraceWindow(bool live, QWidget* parent = nullptr);

  TraceView* View() const { return view_; }
  // Opens `path` in a window of its own (deleted on close); the reason when it cannot.
  static std::optional<QString> OpenLogWindow(const QString& path, QWidget* parent = nullptr);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void UpdateTitle();

  bool live_;
  TraceView* view_ = nullptr;
  QString log_;
};

struct TraceWindowOptions {
  std::string log;     // a log to open instead of receiving, or empty
  std::string output;  // --output, or empty
};

// zeb-trace --window: runs the application until its windows close; the exit status.
int RunTraceWindow(int argc, char** argv, const TraceWindowOptions& options);

}  // namespace zeb
