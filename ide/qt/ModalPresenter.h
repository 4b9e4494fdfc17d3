// Shows the form library's modal forms as Qt dialogs over the IDE window.
#pragma once

#include <functional>

#include "runtime/Forms.h"

class QWidget;

namespace zeb {

class FormDialog;

class ModalPresenter final : public IModalPresenter {
 public:
  explicit ModalPresenter(QWidget* parent) : parent_(parent) {}

  TModalResult ShowModal(TForm& form) override;

  // Called with each dialog once it is on screen (and before the user can act); for screenshots
  // and tests.
  std::function<void(FormDialog&)> onShown;

 private:
  QWidget* parent_;
};

}  // namespace zeb
