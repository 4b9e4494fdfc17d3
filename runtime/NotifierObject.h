// TNotifierObject: the reference-counted base of objects that implement the IDE's notifier
// interfaces. Its four notifications do nothing; a subclass overrides those it cares about.
#pragma once

#include <type_traits>

#include "api/ToolsAPI.h"
#include "runtime/InterfacedObject.h"

namespace zeb {

template <class... Interfaces>
class TNotifierObject : public TInterfacedObject<Interfaces...> {
  static_assert((std::is_base_of_v<IOTANotifier, Interfaces> && ...),
                "a notifier object implements notifier interfaces");

 public:
  void AfterSave() override {}
  void BeforeSave() override {}
  void Destroyed() override {}
  void Modified() override {}
};

}  // namespace zeb
