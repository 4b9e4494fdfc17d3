// DocumentNames: the name the window shows for a document: its file's name without the folder,
// or "Untitled N" for a document that has no file yet (File -> New). Untitled documents are
// numbered from 1, each taking the lowest number free while it is open.
#pragma once

#include <QString>

namespace zeb {

class Document;

QString DisplayName(const Document& document);
// Gives an untitled document its number; a document with a file keeps its file's name.
void NameUntitled(const Document& document);
// The document closed (or has a file now): its number is free again.
void ForgetName(const Document& document);

}  // namespace zeb
