#include "ide/ota/LiveObjects.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace zeb {

namespace {
std::atomic<std::int64_t> live{0};
std::mutex mutex;  // guards the two lists below
std::vector<const IdleObjects*> pools;
LiveObject* first = nullptr;
}  // namespace

LiveObject::LiveObject() noexcept {
  LiveObjects::Link(*this);
}

LiveObject::~LiveObject() {
  LiveObjects::Unlink(*this);
}

void LiveObjects::Link(LiveObject& object) noexcept {
  ++live;
  const std::lock_guard lock(mutex);
  object.next_ = first;
  if (first != nullptr) first->prev_ = &object;
  first = &object;
}

void LiveObjects::Unlink(LiveObject& object) noexcept {
  --live;
  const std::lock_guard lock(mutex);
  if (object.prev_ != nullptr)
    object.prev_->next_ = object.next_;
  else
    first = object.next_;
  if (object.next_ != nullptr) object.next_->prev_ = object.prev_;
}

std::int64_t LiveObjects::Count() noexcept {
  const std::lock_guard lock(mutex);
  std::int64_t count = live.load();
  for (const IdleObjects* pool : pools)
    count -= static_cast<std::int64_t>(pool->IdleCount());
  return count;
}

std::map<std::string, std::int32_t> LiveObjects::HeldBy(const Package* package) {
  std::map<std::string, std::int32_t> held;
  const std::lock_guard lock(mutex);
  for (const LiveObject* object = first; object != nullptr; object = object->next_) {
    if (object->Holder() != package) continue;
    const std::int32_t references = object->OutsideReferences();
    if (references > 0) held[object->InterfaceName()] += references;
  }
  return held;
}

void LiveObjects::Register(const IdleObjects& pool) {
  const std::lock_guard lock(mutex);
  pools.push_back(&pool);
}

void LiveObjects::Unregister(const IdleObjects& pool) noexcept {
  const std::lock_guard lock(mutex);
  std::erase(pools, &pool);
}

}  // namespace zeb
