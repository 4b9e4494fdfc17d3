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

class AddinBoundary {
 public:
  explicit AddinBoundary(IdeObserver& observer) : observer_(&observer) {}

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
