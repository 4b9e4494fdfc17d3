// AddinBoundary: the one place where exceptions that leave an add-in are caught.
//
// Every call into an add-in (Initialize, Register, Finalize, BindKeyboard, a key procedure)
// goes through it. Guard catches and describes; Call also reports the fault to the observer, so
// the IDE goes on and the user hears of it.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "ide/core/IdeObserver.h"

namespace zebide {

class AddinBoundary {
 public:
  explicit AddinBoundary(IdeObserver& observer) : observer_(&observer) {}

  // Runs `call`; an exception leaving it is caught and described, not reported.
  static std::optional<Fault> Guard(const std::string& where, const std::function<void()>& call);
  // Runs `call`; an exception leaving it is reported to OnFault. True when nothing was raised.
  bool Call(const std::string& where, const std::function<void()>& call);

 private:
  IdeObserver* observer_;
};

}  // namespace zebide
