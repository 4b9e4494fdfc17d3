// ObjectPool: a few interface objects of one kind that the IDE hands to add-ins again and again
// (a module, an editor, a view, a block: each key press asks for them anew).
//
// The pool holds one reference to each of its objects. An object goes out again only when that
// reference is the only one left (it is idle): whoever got it before has released it, so handing
// it out again changes nothing anyone can see. An idle object is set up for its new use, or
// taken as it is when it already serves it; when none is idle, a new object is made, kept by
// the pool while there is room. Clear lets go of the objects: idle ones go at once, ones held
// outside live on as ordinary counted objects.
#pragma once

#include <array>
#include <cstddef>

#include "api/ComPtr.h"
#include "ide/ota/LiveObjects.h"

namespace zeb {

template <class T, std::size_t N>
class ObjectPool final : public IdleObjects {
 public:
  ObjectPool() { LiveObjects::Register(*this); }
  ObjectPool(const ObjectPool&) = delete;
  ObjectPool& operator=(const ObjectPool&) = delete;
  ~ObjectPool() {
    Clear();
    LiveObjects::Unregister(*this);
  }

  // An idle object for which `fits(object)` holds; else an idle one after `rebind(object)`;
  // else `make()`, a new ComPtr<T>.
  template <class Fits, class Rebind, class Make>
  ComPtr<T> Acquire(Fits fits, Rebind rebind, Make make) {
    T* spare = nullptr;
    for (const ComPtr<T>& slot : slots_) {
      if (!slot || !Idle(*slot)) continue;
      if (fits(*slot)) return HandOut(*slot);
      if (spare == nullptr) spare = slot.Get();
    }
    if (spare != nullptr) {
      rebind(*spare);
      return HandOut(*spare);
    }
    ComPtr<T> made = make();
    for (ComPtr<T>& slot : slots_) {
      if (slot) continue;
      made->pooled_ = true;
      slot = made;
      break;
    }
    return made;
  }

  void Clear() noexcept {
    for (ComPtr<T>& slot : slots_) {
      if (slot) slot->pooled_ = false;
      slot.Reset();
    }
  }

  std::size_t IdleCount() const noexcept override {
    std::size_t idle = 0;
    for (const ComPtr<T>& slot : slots_)
      idle += slot && Idle(*slot);
    return idle;
  }

 private:
  static bool Idle(const T& object) noexcept {
    return object.idle_.load(std::memory_order_relaxed);
  }
  static ComPtr<T> HandOut(T& object) {
    object.idle_.store(false, std::memory_order_relaxed);
    object.TakenNow();
    return ComPtr<T>::Borrow(&object);
  }

  std::array<ComPtr<T>, N> slots_;
};

}  // namespace zeb
