#include "ide/qt/PackagesWindow.h"

#include <QDialog>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ide/app/Ide.h"
#include "ide/qt/QtStrings.h"

namespace zeb {

QTreeWidget* CreatePackageTree(const Ide& ide, QWidget* parent) {
  auto* tree = new QTreeWidget(parent);
  tree->setHeaderLabels({QDialog::tr("Package"), QDialog::tr("Description")});
  for (const auto& package : ide.Packages()) {
    const PackageIdentity& id = package->Identity();
    auto* item = new QTreeWidgetItem(tree, {Q(id.name), Q(id.description)});
    for (const IdentityRow& row : package->IdentityRows())
      new QTreeWidgetItem(item, {Q(row.label), Q(row.value)});
    item->setExpanded(true);
  }
  tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  return tree;
}

void ShowPackagesWindow(const Ide& ide, QWidget* parent) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QDialog::tr("Packages"));
  dialog.resize(720, 360);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(CreatePackageTree(ide, &dialog));
  dialog.exec();
}

}  // namespace zeb
