// AddinBoundary: where the IDE catches the exceptions that leave an add-in.
//
// Every call the IDE makes into an add-in (Initialize, Register, Finalize, BindKeyboard, a key
// procedure) goes through it. Guard catches and describes; Call also reports the fault to the
// observer, so the IDE goes on and the user hears of it. CallLabelled is Call for the calls made
// on every key press: it runs the call in place and writes the fault's label only when there is
// a fault. The one call into an add-in that the IDE does not make itself, a form's creation
// handler, is the form library's: its exception goes to the Application's exception handler,
// which AddinHost points to the same report.
#pragma once

#include <exception>
#include <functional>
#include <optional>
#include <string>

#include "ide/core/IdeObserver.h"

namespace zeb {

class Package;

class AddinBoundary {
 public:
  explicit AddinBoundary(IdeObserver& observer) : observer_(&observer) {}

  // The package whose code the IDE calls on this thread now (its Initialize, Register or
  // Finalize, one of its keyboard bindings, key procedures or notifiers), or null: what the IDE
  // hands out meanwhile is counted as that package's (see the report of references kept at
  // unload). A Running lasts while such a call does; they nest.
  static const Package* RunningPackage() noexcept;
  class Running {
   public:
    explicit Running(const Package* package) noexcept;
    ~Running();
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

   private:
    const Package* outer_;
  };

  // Tells the observer of a warning about an add-in.
  void Warn(const AddinWarning& warning) { observer_->OnAddinWarning(warning); }

  // Runs `call`; an exception leaving it is caught and described, not reported.
  static std::optional<Fault> Guard(const std::string& where, const std::function<void()>& call);
  // Runs `call`; an exception leaving it is reported to OnFault. True when nothing was raised.
  bool Call(const std::string& where, const std::function<void()>& call);
  // Runs `call` as Call does; the fault's label is what `where()` returns, asked only then.
  template <class Where, class Fn>
  bool CallLabelled(const Where& where, Fn&& call) {
    try {
      call();
      return true;
    } catch (...) {
      Report(where(), std::current_exception());
      return false;
    }
  }

 private:
  void Report(std::string where, const std::exception_ptr& error);

  IdeObserver* observer_;
};

}  // namespace zeb
