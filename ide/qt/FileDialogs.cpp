#include "ide/qt/FileDialogs.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLocale>
#include <QScreen>
#include <QSettings>
#include <QTreeView>
#include <algorithm>

namespace zeb {

namespace {

const QString kLastFolder = QStringLiteral("lastFolder");

// Room for the columns of the detail view: a long name, "1023.9 KiB", a type, a date.
void Size(QFileDialog& dialog) {
  const QFontMetrics metrics(dialog.font());
  const int width = metrics.horizontalAdvance(QLatin1Char('M'));
  QSize size(width * 90, metrics.height() * 30);
  if (const QScreen* screen = dialog.screen())
    size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
  dialog.resize(size.expandedTo(dialog.sizeHint()));
  // Qt's own dialog (no native one on this desktop): its columns fit what they show.
  if (auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
    QHeaderView* header = tree->header();
    const QString date = QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    const int pad = width * 3;
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->resizeSection(1, metrics.horizontalAdvance(QStringLiteral("1023.9 KiB")) + pad);
    header->resizeSection(2, metrics.horizontalAdvance(QStringLiteral("C++ Header File")) + pad);
    header->resizeSection(3, metrics.horizontalAdvance(date) + pad);
  }
}

QString Filter() {
  return QFileDialog::tr(
      "Modules (*.pas *.dpr *.dpk *.inc *.dfm *.xfm *.nfm *.cpp *.cc *.cxx *.c *.h *.hpp *.hh "
      "*.hxx);;All files (*)");
}

}  // namespace

QString LastFolder() {
  const QString folder = QSettings().value(kLastFolder).toString();
  return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::currentPath();
}

void RememberFolderOf(const QString& file) {
  QSettings().setValue(kLastFolder, QFileInfo(file).absolutePath());
}

QStringList AskFilesToOpen(QWidget* parent, const QString& folder) {
  QFileDialog dialog(parent, QFileDialog::tr("Open"), folder.isEmpty() ? LastFolder() : folder,
                     Filter());
  dialog.setFileMode(QFileDialog::ExistingFiles);
  Size(dialog);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

QString AskSavePath(QWidget* parent, const QString& suggested) {
  QFileDialog dialog(parent, QFileDialog::tr("Save As"),
                     suggested.isEmpty() ? LastFolder() : suggested, Filter());
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.selectNameFilter(QFileDialog::tr("All files (*)"));
  Size(dialog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

}  // namespace zeb
