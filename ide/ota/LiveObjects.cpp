#include "ide/ota/LiveObjects.h"

#include <atomic>

namespace zebide {

namespace {
std::atomic<std::int64_t> live{0};
}

std::int64_t LiveObjects::Count() noexcept {
  return live.load();
}
void LiveObjects::Created() noexcept {
  ++live;
}
void LiveObjects::Destroyed() noexcept {
  --live;
}

}  // namespace zebide
