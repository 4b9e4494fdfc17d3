// CountedObject: the base of the IDE's own interface implementations. It is a TInterfacedObject
// that also counts the live objects of the IDE, so that a test can prove that every object an
// add-in was handed has been released again, and that the IDE can tell a package's author which
// references the package still holds when it is unloaded.
//
// An object an ObjectPool keeps for handing out again counts as live only while someone outside
// the pool holds it: once its count is back to the pool's own reference it is idle, and Count
// leaves it out until the pool hands it out again. Going idle and back costs no counting of its
// own: Count asks the pools how many of their objects are idle.
//
// Each object records its holder: the package whose code ran (AddinBoundary::RunningPackage)
// when it was made or last handed out by its pool. HeldBy counts, by interface, the references
// held outside the IDE to the objects a package holds.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "ide/core/AddinBoundary.h"
#include "runtime/InterfacedObject.h"

namespace zeb {

class Package;

// What LiveObjects needs of a pool: how many of its objects are idle now.
class IdleObjects {
 public:
  virtual std::size_t IdleCount() const noexcept = 0;

 protected:
  ~IdleObjects() = default;
};

// What LiveObjects keeps of each live object: linked in a list of them all.
class LiveObject {
 public:
  LiveObject(const LiveObject&) = delete;
  LiveObject& operator=(const LiveObject&) = delete;

  // The name of the object's first interface ("IOTAEditView").
  virtual const char* InterfaceName() const noexcept = 0;
  // The references held to it outside its pool.
  virtual std::int32_t OutsideReferences() const noexcept = 0;
  const Package* Holder() const noexcept { return holder_.load(std::memory_order_relaxed); }
  // Makes the package running now its holder.
  void TakenNow() noexcept {
    holder_.store(AddinBoundary::RunningPackage(), std::memory_order_relaxed);
  }

 protected:
  LiveObject() noexcept;
  virtual ~LiveObject();

 private:
  friend class LiveObjects;
  std::atomic<const Package*> holder_{nullptr};
  LiveObject* prev_ = nullptr;
  LiveObject* next_ = nullptr;
};

class LiveObjects {
 public:
  // The IDE's interface objects alive now, idle pooled objects left out.
  static std::int64_t Count() noexcept;
  // The references held outside the IDE to the objects `package` holds, by interface name.
  static std::map<std::string, std::int32_t> HeldBy(const Package* package);
  // A pool is asked for its idle objects from Register until Unregister.
  static void Register(const IdleObjects& pool);
  static void Unregister(const IdleObjects& pool) noexcept;

 private:
  friend class LiveObject;
  static void Link(LiveObject& object) noexcept;
  static void Unlink(LiveObject& object) noexcept;
};

template <class T, std::size_t N>
class ObjectPool;

template <class First, class... Interfaces>
class CountedObject : public TInterfacedObject<First, Interfaces...>, public LiveObject {
  using Base = TInterfacedObject<First, Interfaces...>;

 public:
  CountedObject() { TakenNow(); }

  std::int32_t Release() override {
    const std::int32_t left = Base::Release();
    // Nothing of this object may be touched once the count reached 0.
    if (left == 1 && pooled_) idle_.store(true, std::memory_order_relaxed);
    return left;
  }

  const char* InterfaceName() const noexcept override { return First::Name; }
  std::int32_t OutsideReferences() const noexcept override {
    return Base::RefCount() - (pooled_ ? 1 : 0);
  }

 private:
  template <class T, std::size_t N>
  friend class ObjectPool;

  bool pooled_ = false;             // a pool holds one reference
  std::atomic<bool> idle_ = false;  // and it is the only one
};

}  // namespace zeb
