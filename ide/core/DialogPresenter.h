// DialogPresenter: the modal presenter the IDE installs into the form library's Application.
// It hands every modal form to the front end through the observer.
#pragma once

#include "ide/core/IdeObserver.h"
#include "runtime/Forms.h"

namespace zeb {

class DialogPresenter final : public IModalPresenter {
 public:
  explicit DialogPresenter(IdeObserver& observer) : observer_(&observer) {}
  TModalResult ShowModal(TForm& form) override { return observer_->OnDialog(form); }

 private:
  IdeObserver* observer_;
};

}  // namespace zeb
