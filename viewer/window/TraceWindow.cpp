#include "viewer/window/TraceWindow.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QStatusBar>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "viewer/Viewer.h"
#include "viewer/window/TraceSettings.h"
#include "viewer/window/TraceView.h"

namespace zeb {

namespace {

int quitPipe[2] = {-1, -1};   // read by the window's thread, which closes the windows
int guardPipe[2] = {-1, -1};  // read by the guard below

void OnSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = write(quitPipe[1], &byte, 1);
  [[maybe_unused]] const ssize_t m = write(guardPipe[1], &byte, 1);
}

// The socket the window serves, once it does, for the guard.
std::mutex guardedMutex;
std::string guardedSocket;

// Sees that SIGINT and SIGTERM are obeyed within a second, as the console viewer does, whatever
// the program is doing (opening an --output FIFO nobody reads, its receiver writing to one): a
// second after the signal, a program still running ends here, removing its socket first.
void Guard() {
  pollfd p{guardPipe[0], POLLIN, 0};
  while (poll(&p, 1, -1) < 0 && errno == EINTR) {
  }
  std::this_thread::sleep_for(std::chrono::seconds(1));
  {
    const std::lock_guard lock(guardedMutex);
    if (!guardedSocket.empty()) unlink(guardedSocket.c_str());
  }
  _exit(0);
}

}  // namespace

TraceWindow::TraceWindow(bool live, QWidget* parent) : QMainWindow(parent), live_(live) {
  setObjectName(QStringLiteral("TraceWindow"));
  view_ = new TraceView(live, this);
  setCentralWidget(view_);
  statusBar()->addWidget(view_->Status(), 1);
  const TraceView::Actions& a = view_->GetActions();

  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->addAction(a.openLog);
  file->addAction(a.saveAll);
  file->addAction(a.saveShown);
  file->addSeparator();
  file->addAction(tr("&Close"), QKeySequence::Close, this, &QWidget::close);
  file->addAction(tr("&Quit"), QKeySequence::Quit, qApp, &QApplication::closeAllWindows);
  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  edit->addActions({a.copy, a.find, a.findNext, a.findPrevious});
  edit->addSeparator();
  edit->addActions({a.toggleBookmark, a.nextBookmark, a.previousBookmark});
  edit->addSeparator();
  edit->addAction(a.clear);
  QMenu* view = menuBar()->addMenu(tr("&View"));
  view->addActions({a.pause, a.autoscroll});
  view->addSeparator();
  view->addActions(a.time->actions());
  view->addSeparator();
  view->addAction(a.problems);
  QMenu* rules = menuBar()->addMenu(tr("&Rules"));
  rules->addActions({a.rules, a.limits});
  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->addAction(tr("&About"), this, [this] {
    QMessageBox::about(this, tr("About zeb-trace"),
                       tr("zeb-trace shows the trace messages add-ins send with TRACE.\n\n"
                          "Rules keep, hide or colour messages; File -> Save All keeps them as "
                          "a log that opens again with its rules."));
  });

  connect(view_, &TraceView::openLogRequested, this, [this](const QString& path) {
    if (const auto why = OpenLogWindow(path, this)) {
      QMessageBox::warning(this, tr("Open Log"), *why);
    }
  });
  connect(view_, &TraceView::statusChanged, this, [this] { UpdateTitle(); });

  resize(1100, 640);
  if (live_) {
    const TraceSettings settings;
    restoreGeometry(settings.Value(QStringLiteral("window/geometry")));
    restoreState(settings.Value(QStringLiteral("window/state")));
  }
  UpdateTitle();
}

std::optional<QString> TraceWindow::OpenLogWindow(const QString& path, QWidget* parent) {
  auto* window = new TraceWindow(false, parent);
  window->setWindowFlag(Qt::Window);
  window->setAttribute(Qt::WA_DeleteOnClose);
  if (auto why = window->View()->OpenLog(path)) {
    delete window;
    return why;
  }
  window->log_ = path;
  window->UpdateTitle();
  window->show();
  return std::nullopt;
}

void TraceWindow::UpdateTitle() {
  QString title;
  if (!log_.isEmpty()) {
    title = tr("%1 — zeb-trace").arg(QFileInfo(log_).fileName());
  } else if (view_->Receiving()) {
    title = tr("zeb-trace — %1").arg(QString::fromStdString(view_->SocketPath()));
  } else {
    title = tr("zeb-trace");
  }
  if (view_->Model().Paused()) title += tr(" (paused)");
  if (windowTitle() != title) setWindowTitle(title);
}

void TraceWindow::closeEvent(QCloseEvent* event) {
  if (live_) {
    TraceSettings settings;
    settings.SetValue(QStringLiteral("window/geometry"), saveGeometry());
    settings.SetValue(QStringLiteral("window/state"), saveState());
  }
  // The socket is free as soon as the window closes.
  view_->StopReceiving();
  QMainWindow::closeEvent(event);
}

int RunTraceWindow(int argc, char** argv, const TraceWindowOptions& options) {
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr &&
      std::getenv("QT_QPA_PLATFORM") == nullptr) {
    std::fprintf(stderr,
                 "zeb-trace: cannot connect to a display; without --window zeb-trace runs in a "
                 "terminal\n");
    return 1;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("zeb-trace"));
  QApplication::setOrganizationName(QStringLiteral("zeb-ide"));
  QApplication::setQuitOnLastWindowClosed(true);

  // SIGINT and SIGTERM close the windows as their Close would: the socket goes.
  if (pipe2(quitPipe, O_CLOEXEC | O_NONBLOCK) == 0 && pipe2(guardPipe, O_CLOEXEC) == 0) {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::thread(Guard).detach();
    auto* notifier = new QSocketNotifier(quitPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
      char byte = 0;
      while (read(quitPipe[0], &byte, 1) > 0) {
      }
      QApplication::closeAllWindows();
    });
  }
  std::signal(SIGPIPE, SIG_IGN);

  if (!options.log.empty()) {
    if (const auto why = TraceWindow::OpenLogWindow(QString::fromStdString(options.log))) {
      std::fprintf(stderr, "zeb-trace: %s\n", why->toUtf8().constData());
      return 1;
    }
    return QApplication::exec();
  }

  std::FILE* output = nullptr;
  if (!options.output.empty()) {
    output = OpenTraceLog(options.output);
    if (output == nullptr) {
      std::fprintf(stderr, "zeb-trace: %s: %s\n", options.output.c_str(), std::strerror(errno));
      return 1;
    }
  }
  int status = 0;
  {
    TraceWindow window(true);
    const bool receiving = window.View()->StartReceiving({}, output, options.output);
    if (receiving) {
      const std::lock_guard lock(guardedMutex);
      guardedSocket = window.View()->SocketPath();
    }
    if (!receiving) {
      std::fprintf(stderr, "zeb-trace: %s\n", window.View()->NotReceiving().toUtf8().constData());
      status = 1;
    }
    QObject::connect(window.View(), &TraceView::receivingStopped, &window,
                     [&status](const QString& why) {
                       std::fprintf(stderr, "zeb-trace: %s\n", why.toUtf8().constData());
                       status = 1;
                     });
    window.show();
    QApplication::exec();
  }
  if (output != nullptr) std::fclose(output);
  return status;
}

}  // namespace zeb
