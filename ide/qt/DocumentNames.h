// DocumentNames: the name the window shows for a document: its file's name without the folder,
// or "Untitled N" for a document that has no file yet (File -> New). Untitled documents are
// numbered from 1, each taking the lowest number free while it is open.
#pragma once

#include <QString>
#include <memory>

namespace zeb {

class Document;

QString DisplayName(const Document& document);
// Gives an untitled document its number, until it is gone or ForgetName; a document with a file
// keeps its file's name.
void NameUntitled(const std::shared_ptr<const Document>& document);
// The document has a file now, or closed: its number is free again.
void ForgetName(const Document& document);

}  // namespace zeb
