// CountedObject: the base of the IDE's own interface implementations. It is a TInterfacedObject
// that also counts the live objects of the IDE, so that a test can prove that every object an
// add-in was handed has been released again.
//
// An object an ObjectPool keeps for handing out again counts as live only while someone outside
// the pool holds it: once its count is back to the pool's own reference it is idle, and Count
// leaves it out until the pool hands it out again. Going idle and back costs no counting of its
// own: Count asks the pools how many of their objects are idle.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "runtime/InterfacedObject.h"

namespace zeb {

// What LiveObjects needs of a pool: how many of its objects are idle now.
class IdleObjects {
 public:
  virtual std::size_t IdleCount() const noexcept = 0;

 protected:
  ~IdleObjects() = default;
};

class LiveObjects {
 public:
  // The IDE's interface objects alive now, idle pooled objects left out.
  static std::int64_t Count() noexcept;
  static void Created() noexcept;
  static void Destroyed() noexcept;
  // A pool is asked for its idle objects from Register until Unregister.
  static void Register(const IdleObjects& pool);
  static void Unregister(const IdleObjects& pool) noexcept;
};

template <class T, std::size_t N>
class ObjectPool;

template <class... Interfaces>
class CountedObject : public TInterfacedObject<Interfaces...> {
  using Base = TInterfacedObject<Interfaces...>;

 public:
  CountedObject() { LiveObjects::Created(); }
  ~CountedObject() override { LiveObjects::Destroyed(); }

  std::int32_t Release() override {
    const std::int32_t left = Base::Release();
    // Nothing of this object may be touched once the count reached 0.
    if (left == 1 && pooled_) idle_.store(true, std::memory_order_relaxed);
    return left;
  }

 private:
  template <class T, std::size_t N>
  friend class ObjectPool;

  bool pooled_ = false;             // a pool holds one reference
  std::atomic<bool> idle_ = false;  // and it is the only one
};

}  // namespace zeb
