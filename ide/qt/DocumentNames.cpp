#include "ide/qt/DocumentNames.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>
#include <memory>
#include <vector>

#include "ide/qt/QtStrings.h"
#include "ide/text/Document.h"

namespace zeb {

namespace {

struct Numbered {
  std::weak_ptr<const Document> document;  // a document gone frees its number by itself
  int number;
};

// The numbers of the untitled documents open, those of documents gone left out.
std::vector<Numbered>& Numbers() {
  static std::vector<Numbered> numbers;
  std::erase_if(numbers, [](const Numbered& entry) { return entry.document.expired(); });
  return numbers;
}

std::vector<Numbered>::iterator Find(std::vector<Numbered>& numbers, const Document& document) {
  return std::find_if(numbers.begin(), numbers.end(), [&](const Numbered& entry) {
    return entry.document.lock().get() == &document;
  });
}

}  // namespace

QString DisplayName(const Document& document) {
  if (!document.Path().empty()) return QFileInfo(Q(document.Path())).fileName();
  std::vector<Numbered>& numbers = Numbers();
  const auto found = Find(numbers, document);
  return found != numbers.end()
             ? QCoreApplication::translate("zeb::DocumentNames", "Untitled %1").arg(found->number)
             : QCoreApplication::translate("zeb::DocumentNames", "Untitled");
}

void NameUntitled(const std::shared_ptr<const Document>& document) {
  std::vector<Numbered>& numbers = Numbers();
  if (!document->Path().empty() || Find(numbers, *document) != numbers.end()) return;
  int number = 1;
  while (std::any_of(numbers.begin(), numbers.end(),
                     [&](const Numbered& entry) { return entry.number == number; }))
    ++number;
  numbers.push_back({document, number});
}

void ForgetName(const Document& document) {
  std::vector<Numbered>& numbers = Numbers();
  const auto found = Find(numbers, document);
  if (found != numbers.end()) numbers.erase(found);
}

}  // namespace zeb
