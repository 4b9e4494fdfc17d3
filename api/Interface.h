// The base of every counted interface: query by identifier and reference counting.
#pragma once

#include <cstdint>

#include "api/Guid.h"

namespace zeb {

using HRESULT = std::int32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);

// Every interface names its identifier (IID), its readable name (Name) and the interface it
// extends (Inherited), so that an implementation can answer queries for the whole chain.
struct IInterface {
  static constexpr TGUID IID = MakeGUID("{00000000-0000-0000-C000-000000000046}");
  static constexpr const char* Name = "IInterface";
  using Inherited = void;

  // On success stores a counted reference in *obj and returns S_OK; otherwise stores null and
  // returns E_NOINTERFACE.
  virtual HRESULT QueryInterface(const TGUID& iid, void** obj) = 0;
  virtual std::int32_t AddRef() = 0;
  virtual std::int32_t Release() = 0;

 protected:
  // Objects are destroyed by their own Release, never through an interface pointer.
  ~IInterface() = default;
};

using IUnknown = IInterface;

}  // namespace zeb
