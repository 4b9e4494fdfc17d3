// PreferencesDialog: Edit -> Preferences. Shows the preferences, and hands back the ones chosen
// (Applied) on OK or Apply; the window applies them to every pane and keeps them.
#pragma once

#include <QDialog>

#include "ide/qt/Preferences.h"

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QSpinBox;

namespace zeb {

class PreferencesDialog final : public QDialog {
  Q_OBJECT

 public:
  PreferencesDialog(const Preferences& preferences, QWidget* parent = nullptr);

  // The preferences as the dialog shows them.
  Preferences Chosen() const;

  QFontComboBox* FontFamily() const noexcept { return family_; }
  QSpinBox* FontSize() const noexcept { return size_; }
  QSpinBox* TabWidth() const noexcept { return tabWidth_; }
  // 0: a tab; 1: spaces.
  QComboBox* TabInserts() const noexcept { return tabInserts_; }
  QCheckBox* ShowWhitespace() const noexcept { return whitespace_; }
  QCheckBox* WrapLines() const noexcept { return wrap_; }
  QCheckBox* ReopenFiles() const noexcept { return reopen_; }

 signals:
  void Applied(const zeb::Preferences& preferences);

 private:
  QFontComboBox* family_;
  QSpinBox* size_;
  QSpinBox* tabWidth_;
  QComboBox* tabInserts_;
  QCheckBox* whitespace_;
  QCheckBox* wrap_;
  QCheckBox* reopen_;
};

}  // namespace zeb
