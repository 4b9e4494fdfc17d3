#include "ide/qt/DisplayCheck.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace zeb {

namespace {

struct Held {
  QtMsgType type;
  QString category;
  QString text;
};

QtMessageHandler previous = nullptr;
bool active = false;

std::vector<Held>& HeldMessages() {
  static std::vector<Held> held;
  return held;
}

void Hold(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    std::fputs("zeb-ide: cannot connect to a display; zeb-host runs without one\n", stderr);
    std::fflush(stderr);
    std::_Exit(1);
  }
  HeldMessages().push_back(
      {type, QString::fromLatin1(context.category != nullptr ? context.category : ""), text});
}

}  // namespace

DisplayCheck::DisplayCheck() {
  previous = qInstallMessageHandler(Hold);
  active = true;
}

void DisplayCheck::Done() {
  if (!active) return;
  active = false;
  qInstallMessageHandler(previous);
  for (const Held& held : HeldMessages()) {
    const QByteArray category = held.category.toLatin1();
    const QMessageLogContext context(nullptr, 0, nullptr, category.constData());
    if (previous != nullptr)
      previous(held.type, context, held.text);
    else
      std::fprintf(stderr, "%s\n", held.text.toLocal8Bit().constData());
  }
  HeldMessages().clear();
}

}  // namespace zeb
