#include "ide/ota/LiveObjects.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace zeb {

namespace {
std::atomic<std::int64_t> live{0};
std::mutex poolsMutex;
std::vector<const IdleObjects*> pools;
}  // namespace

std::int64_t LiveObjects::Count() noexcept {
  const std::lock_guard lock(poolsMutex);
  std::int64_t count = live.load();
  for (const IdleObjects* pool : pools)
    count -= static_cast<std::int64_t>(pool->IdleCount());
  return count;
}
void LiveObjects::Created() noexcept {
  ++live;
}
void LiveObjects::Destroyed() noexcept {
  --live;
}

void LiveObjects::Register(const IdleObjects& pool) {
  const std::lock_guard lock(poolsMutex);
  pools.push_back(&pool);
}

void LiveObjects::Unregister(const IdleObjects& pool) noexcept {
  const std::lock_guard lock(poolsMutex);
  std::erase(pools, &pool);
}

}  // namespace zeb
