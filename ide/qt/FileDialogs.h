// FileDialogs: the Open and Save As dialogs. They start in the folder asked for, else the one the
// user opened or saved a file in last (kept in the settings), and open wide enough that the
// detail view's columns show whole names, sizes and dates.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace zeb {

// The files chosen to open, none when the user cancels; `folder` empty for the last folder.
QStringList AskFilesToOpen(QWidget* parent, const QString& folder);
// The path chosen to save to, empty when the user cancels. `suggested` is a path, or a folder to
// start in; empty for the last folder.
QString AskSavePath(QWidget* parent, const QString& suggested);

// The folder of the file opened or saved last; the current folder before any.
QString LastFolder();
void RememberFolderOf(const QString& file);

}  // namespace zeb
