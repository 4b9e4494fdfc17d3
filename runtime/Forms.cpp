#include "runtime/Forms.h"

#include <algorithm>
#include <cstdio>

#include "runtime/Exceptions.h"

namespace zeb {

IModalPresenter::~IModalPresenter() = default;

TControl::~TControl() {
  if (Parent != nullptr) Parent->RemoveControl(*this);
}

TMemo::~TMemo() = default;

TForm::TForm(TComponent* owner) : TComponent(owner) {}

TForm::~TForm() {
  // The owned controls are freed by ~TComponent, after this form's own members are gone.
  for (TControl* control : controls_)
    control->Parent = nullptr;
  controls_.clear();
}

void TForm::InsertControl(TControl& control) {
  if (control.Parent == this) return;
  if (control.Parent != nullptr) control.Parent->RemoveControl(control);
  control.Parent = this;
  controls_.push_back(&control);
}

void TForm::RemoveControl(TControl& control) noexcept {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), &control), controls_.end());
  control.Parent = nullptr;
}

void TForm::AfterConstruction() {
  if (!OnCreate) return;
  try {
    OnCreate(this);
  } catch (...) {
    Application->HandleException(std::current_exception());
  }
}

TModalResult TForm::ShowModal() {
  IModalPresenter* presenter = Application->ModalPresenter();
  if (presenter == nullptr)
    throw EInvalidOperation("Cannot show the form \"" + Caption + "\" modally: no presenter");
  return presenter->ShowModal(*this);
}

TApplication::TApplication() : TComponent(nullptr) {}
TApplication::~TApplication() = default;

void TApplication::HandleException(std::exception_ptr error) {
  if (exceptionHandler_) {
    exceptionHandler_(error);
    return;
  }
  const ExceptionDescription d = DescribeException(error);
  std::fprintf(stderr, "Exception %s: %s\n", d.className.c_str(), d.message.c_str());
}

void TApplication::DestroyComponents() {
  while (ComponentCount() > 0)
    delete Components(ComponentCount() - 1);
}

namespace {
TApplication theApplication;
}
TApplication* const Application = &theApplication;

}  // namespace zeb
