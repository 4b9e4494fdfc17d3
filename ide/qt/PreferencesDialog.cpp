#include "ide/qt/PreferencesDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ide/app/Ide.h"

namespace zeb {

PreferencesDialog::PreferencesDialog(const Preferences& preferences, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(tr("Preferences"));
  const QFont font = preferences.Font();

  family_ = new QFontComboBox(this);
  family_->setFontFilters(QFontComboBox::MonospacedFonts);
  family_->setCurrentFont(font);
  size_ = new QSpinBox(this);
  size_->setRange(4, 72);
  size_->setSuffix(tr(" pt"));
  size_->setValue(font.pointSize() > 0 ? font.pointSize() : 10);
  tabWidth_ = new QSpinBox(this);
  tabWidth_->setRange(1, Ide::kMaxTabWidth);
  tabWidth_->setValue(preferences.tabWidth);
  tabInserts_ = new QComboBox(this);
  tabInserts_->addItems({tr("a tab character"), tr("spaces up to the next tab stop")});
  tabInserts_->setCurrentIndex(preferences.tabInsertsSpaces ? 1 : 0);
  whitespace_ = new QCheckBox(tr("Show &spaces and tabs"), this);
  whitespace_->setChecked(preferences.showWhitespace);
  wrap_ = new QCheckBox(tr("&Wrap long lines"), this);
  wrap_->setChecked(preferences.wrapLines);
  reopen_ = new QCheckBox(tr("Started without files, &reopen the files of the last session"), this);
  reopen_->setChecked(preferences.reopenFiles);

  auto* editor = new QGroupBox(tr("Editor"), this);
  auto* form = new QFormLayout(editor);
  form->addRow(tr("&Font:"), family_);
  form->addRow(tr("Font si&ze:"), size_);
  form->addRow(tr("&Tab width:"), tabWidth_);
  form->addRow(tr("Tab with no &block inserts:"), tabInserts_);
  form->addRow(whitespace_);
  form->addRow(wrap_);
  auto* start = new QGroupBox(tr("Start-up"), this);
  auto* startLayout = new QVBoxLayout(start);
  startLayout->addWidget(reopen_);

  auto* buttons = new QDialogButtonBox(
      QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    emit Applied(Chosen());
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
          [this] { emit Applied(Chosen()); });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(editor);
  layout->addWidget(start);
  layout->addStretch(1);
  layout->addWidget(buttons);
}

Preferences PreferencesDialog::Chosen() const {
  // What equals the system's fixed-width font is kept as "the system's", so that it follows the
  // system's choice.
  const QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  Preferences p;
  const QString family = family_->currentFont().family();
  p.fontFamily = family == system.family() ? QString() : family;
  p.fontSize = size_->value() == system.pointSize() ? 0 : size_->value();
  p.tabWidth = tabWidth_->value();
  p.tabInsertsSpaces = tabInserts_->currentIndex() == 1;
  p.showWhitespace = whitespace_->isChecked();
  p.wrapLines = wrap_->isChecked();
  p.reopenFiles = reopen_->isChecked();
  return p;
}

}  // namespace zeb
