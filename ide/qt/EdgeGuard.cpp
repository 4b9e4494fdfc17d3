#include "ide/qt/EdgeGuard.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <cstdio>
#include <exception>

#include "ide/qt/QtStrings.h"
#include "runtime/Exceptions.h"

namespace zeb {

namespace {

EdgeReporter& Reporter() {
  static EdgeReporter reporter;
  return reporter;
}

void Tell(const QString& title, const QString& text) noexcept {
  try {
    if (Reporter()) {
      Reporter()(title, text);
      return;
    }
  } catch (...) {
    // A report that fails itself is told the plain way below.
  }
  std::fprintf(stderr, "zeb-ide: %s\n", text.toLocal8Bit().constData());
}

}  // namespace

void SetEdgeReporter(EdgeReporter reporter) {
  Reporter() = std::move(reporter);
}

bool RunAtEdge(const QString& what, const std::function<void()>& work, ReportTime when) noexcept {
  try {
    work();
    return true;
  } catch (...) {
    QString text;
    try {
      const ExceptionDescription d = DescribeException(std::current_exception());
      text = QCoreApplication::translate("zeb::EdgeGuard", "%1 failed:\n%2: %3")
                 .arg(what, Q(d.className), Q(d.message));
    } catch (...) {
      text = what + QStringLiteral(" failed.");
    }
    const QString title = QCoreApplication::translate("zeb::EdgeGuard", "Error");
    if (when == ReportTime::Now || QCoreApplication::instance() == nullptr) {
      Tell(title, text);
    } else {
      QMetaObject::invokeMethod(
          QCoreApplication::instance(), [title, text] { Tell(title, text); }, Qt::QueuedConnection);
    }
    return false;
  }
}

}  // namespace zeb
