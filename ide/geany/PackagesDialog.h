// PackagesDialog: Tools -> "Add-in Packages...": the loaded packages' identities, as the rows
// zeb-host --packages prints (a heading with the name and the description, then the folder the
// package was found in, its file, versions, language, required packages and contained units), in
// a modal dialog over Geany's window.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ide/core/AddinHost.h"
#include "ide/core/Package.h"

typedef struct _GtkWindow GtkWindow;

namespace zeb {

// The text the dialog shows: each package's identity, a blank line between two; without a
// package, which folders were searched.
std::string PackagesText(const std::vector<std::unique_ptr<Package>>& packages,
                         const std::vector<AddinHost::PackageFolder>& folders);

void ShowPackagesDialog(const std::string& text, GtkWindow* parent);

}  // namespace zeb
