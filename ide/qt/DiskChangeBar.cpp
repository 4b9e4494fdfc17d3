#include "ide/qt/DiskChangeBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace zeb {

DiskChangeBar::DiskChangeBar(QWidget* parent)
    : QFrame(parent),
      text_(new QLabel(this)),
      reload_(new QPushButton(tr("Reload"), this)),
      keep_(new QPushButton(tr("Keep Mine"), this)) {
  setObjectName(QStringLiteral("DiskChangeBar"));
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, QColor(0xFF, 0xF4, 0xC8));
  colours.setColor(QPalette::WindowText, Qt::black);
  setPalette(colours);
  text_->setWordWrap(true);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(8, 4, 8, 4);
  layout->addWidget(text_, 1);
  layout->addWidget(reload_);
  layout->addWidget(keep_);
  connect(reload_, &QPushButton::clicked, this, &DiskChangeBar::ReloadChosen);
  connect(keep_, &QPushButton::clicked, this, &DiskChangeBar::KeepChosen);
  hide();
}

void DiskChangeBar::ShowNotice(const QString& text, bool offerReload) {
  text_->setText(text);
  reload_->setVisible(offerReload);
  keep_->setText(offerReload ? tr("Keep Mine") : tr("OK"));
  show();
}

QString DiskChangeBar::Text() const {
  return isHidden() ? QString() : text_->text();
}

}  // namespace zeb
