#include "ide/core/AddinBoundary.h"

#include <utility>

#include "runtime/Exceptions.h"

namespace zeb {

namespace {
thread_local const Package* running = nullptr;

Fault Describe(std::string where, const std::exception_ptr& error) {
  // Whatever an add-in throws, of any type: described, never lost.
  const ExceptionDescription d = DescribeException(error);
  return Fault{std::move(where), d.className, d.message};
}
}  // namespace

const Package* AddinBoundary::RunningPackage() noexcept {
  return running;
}

AddinBoundary::Running::Running(const Package* package) noexcept : outer_(running) {
  running = package;
}

AddinBoundary::Running::~Running() {
  running = outer_;
}

std::optional<Fault> AddinBoundary::Guard(const std::string& where,
                                          const std::function<void()>& call) {
  try {
    call();
    return std::nullopt;
  } catch (...) {
    return Describe(where, std::current_exception());
  }
}

bool AddinBoundary::Call(const std::string& where, const std::function<void()>& call) {
  const auto fault = Guard(where, call);
  if (fault) observer_->OnFault(*fault);
  return !fault;
}

void AddinBoundary::Report(std::string where, const std::exception_ptr& error) {
  observer_->OnFault(Describe(std::move(where), error));
}

}  // namespace zeb
