// Forms, the application object that owns them, and modal display.
//
// The form library draws nothing itself: a host installs a modal presenter that shows a form
// (from its properties and controls) and returns when the user closes it.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "api/Export.h"
#include "runtime/Classes.h"
#include "runtime/Controls.h"
#include "runtime/Graphics.h"

namespace zeb {

enum class TFormBorderStyle : std::uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow };
enum class TPosition : std::uint8_t { poDesigned, poDefault, poScreenCenter, poMainFormCenter };

using TModalResult = std::int32_t;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;

class TForm;
using TNotifyEvent = std::function<void(TComponent* sender)>;

// Shows forms modally for the application; installed by the host.
class ZEB_RTL_API IModalPresenter {
 public:
  virtual ~IModalPresenter();
  // Shows `form` until the user closes it and returns how it was closed.
  virtual TModalResult ShowModal(TForm& form) = 0;
};

class ZEB_RTL_API TForm : public TComponent {
 public:
  explicit TForm(TComponent* owner);
  ~TForm() override;

  // Runs once the form's construction (its stored description included) is complete: raises
  // OnCreate. An exception that leaves OnCreate goes to the application's exception handling and
  // the form stays usable, as the form library has always done.
  void AfterConstruction();

  // Shows the form modally through the application's presenter.
  TModalResult ShowModal();

  // The controls placed on the form, in creation order.
  const std::vector<TControl*>& Controls() const noexcept { return controls_; }
  void InsertControl(TControl& control);

  std::string Caption;
  TFormBorderStyle BorderStyle = TFormBorderStyle::bsSizeable;
  TPosition Position = TPosition::poDesigned;
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t ClientWidth = 0;
  std::int32_t ClientHeight = 0;
  TColor Color = clBtnFace;
  TFont Font;
  std::int32_t PixelsPerInch = 96;
  std::int32_t TextHeight = 13;
  TNotifyEvent OnCreate;

 private:
  friend class TControl;
  void RemoveControl(TControl& control) noexcept;
  std::vector<TControl*> controls_;
};

// Creates a form of class F owned by `owner` and completes its construction.
template <class F>
F* CreateForm(TComponent* owner) {
  auto form = std::make_unique<F>(owner);
  form->AfterConstruction();
  return form.release();  // now owned by `owner`
}

class ZEB_RTL_API TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;

  using ExceptionHandler = std::function<void(std::exception_ptr)>;

  // Reports an exception that the form library caught: to the installed handler, or to standard
  // error when there is none.
  void HandleException(std::exception_ptr error);
  void SetExceptionHandler(ExceptionHandler handler) { exceptionHandler_ = std::move(handler); }

  void SetModalPresenter(IModalPresenter* presenter) noexcept { presenter_ = presenter; }
  IModalPresenter* ModalPresenter() const noexcept { return presenter_; }

  // Frees every component the application owns (the host calls it before it unloads packages
  // whose code those components run).
  void DestroyComponents();

 private:
  ExceptionHandler exceptionHandler_;
  IModalPresenter* presenter_ = nullptr;
};

// The application object of this process.
extern ZEB_RTL_API TApplication* const Application;

}  // namespace zeb
