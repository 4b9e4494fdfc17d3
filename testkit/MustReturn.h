// MustReturn: a call that a bound says gives up in time must return at all.
//
// The call runs on a thread of its own. If it has not returned `within` later (a margin far past
// the bound it is to keep, so that a loaded machine makes no difference), the test program ends
// at once, naming the call: a fault that drops a deadline fails the test in seconds rather than
// holding it until the test's own timeout, and no speed is measured.
#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>

namespace zeb::test {

template <class Fn>
auto MustReturn(std::chrono::seconds within, const std::string& what, Fn fn) -> decltype(fn()) {
  using Result = decltype(fn());
  std::promise<Result> promise;
  std::future<Result> done = promise.get_future();
  std::thread call([&promise, fn = std::move(fn)]() mutable {
    if constexpr (std::is_void_v<Result>) {
      fn();
      promise.set_value();
    } else {
      promise.set_value(fn());
    }
  });
  if (done.wait_for(within) != std::future_status::ready) {
    std::fprintf(stderr, "FAILED: %s did not return within %lld s; ending the test program\n",
                 what.c_str(), static_cast<long long>(within.count()));
    std::fflush(stderr);
    std::_Exit(1);
  }
  call.join();
  return done.get();
}

}  // namespace zeb::test
