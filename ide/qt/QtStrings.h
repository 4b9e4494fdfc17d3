// The window's side of the IDE's strings: the core holds text and paths as UTF-8 bytes, Qt as
// QString; and the name the window shows for a document (its file name without the folder).
#pragma once

#include <QByteArray>
#include <QFileInfo>
#include <QString>
#include <string>
#include <string_view>

#include "ide/text/Document.h"

namespace zeb {

inline QString Q(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string S(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

inline QString DisplayName(const Document& document) {
  return QFileInfo(Q(document.Path())).fileName();
}

}  // namespace zeb
