// The Packages window (Tools -> Packages): the loaded packages, each with the rows of its
// identity below it (where it was found, its file, versions, language, required packages and
// units), as zeb-host --packages prints them.
#pragma once

class QTreeWidget;
class QWidget;

namespace zeb {

class Ide;

// The list itself, one item per loaded package; the caller owns it.
QTreeWidget* CreatePackageTree(const Ide& ide, QWidget* parent);
// Shows the list in a modal window over `parent`.
void ShowPackagesWindow(const Ide& ide, QWidget* parent);

}  // namespace zeb
