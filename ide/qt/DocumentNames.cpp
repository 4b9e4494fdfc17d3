#include "ide/qt/DocumentNames.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <map>

#include "ide/qt/QtStrings.h"
#include "ide/text/Document.h"

namespace zeb {

namespace {

// The numbers of the untitled documents open.
std::map<const Document*, int>& Numbers() {
  static std::map<const Document*, int> numbers;
  return numbers;
}

}  // namespace

QString DisplayName(const Document& document) {
  if (!document.Path().empty()) return QFileInfo(Q(document.Path())).fileName();
  const auto found = Numbers().find(&document);
  const int number = found != Numbers().end() ? found->second : 0;
  return number > 0 ? QCoreApplication::translate("zeb::DocumentNames", "Untitled %1").arg(number)
                    : QCoreApplication::translate("zeb::DocumentNames", "Untitled");
}

void NameUntitled(const Document& document) {
  if (!document.Path().empty() || Numbers().count(&document) != 0) return;
  int number = 1;
  for (bool taken = true; taken; ++number) {
    taken = false;
    for (const auto& entry : Numbers())
      taken = taken || entry.second == number;
    if (!taken) break;
  }
  Numbers()[&document] = number;
}

void ForgetName(const Document& document) {
  Numbers().erase(&document);
}

}  // namespace zeb
