// CountedObject: the base of the IDE's own interface implementations. It is a TInterfacedObject
// that also counts the live objects of the IDE, so that a test can prove that every object an
// add-in was handed has been released again.
#pragma once

#include <cstdint>

#include "runtime/InterfacedObject.h"

namespace zebide {

class LiveObjects {
 public:
  // The IDE's interface objects alive now.
  static std::int64_t Count() noexcept;
  static void Created() noexcept;
  static void Destroyed() noexcept;
};

template <class... Interfaces>
class CountedObject : public TInterfacedObject<Interfaces...> {
 public:
  CountedObject() { LiveObjects::Created(); }
  ~CountedObject() override { LiveObjects::Destroyed(); }
};

}  // namespace zebide
