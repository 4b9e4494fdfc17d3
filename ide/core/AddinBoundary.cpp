#include "ide/core/AddinBoundary.h"

#include <exception>

#include "runtime/Exceptions.h"

namespace zebide {

std::optional<Fault> AddinBoundary::Guard(const std::string& where,
                                          const std::function<void()>& call) {
  try {
    call();
    return std::nullopt;
  } catch (...) {
    // Whatever an add-in throws, of any type: described, never lost.
    const ExceptionDescription d = DescribeException(std::current_exception());
    return Fault{where, d.className, d.message};
  }
}

bool AddinBoundary::Call(const std::string& where, const std::function<void()>& call) {
  const auto fault = Guard(where, call);
  if (fault) observer_->OnFault(*fault);
  return !fault;
}

}  // namespace zebide
