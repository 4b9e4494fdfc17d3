// TInterfacedObject<Interfaces...>: the reference-counted base of every object that implements
// counted interfaces. It answers queries for each listed interface and every interface that one
// extends, and destroys itself when the last reference goes.
//
// Create such objects only with MakeCounted, which hands back the first owning reference.
#pragma once

#include <atomic>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "api/ComPtr.h"
#include "api/Interface.h"

namespace zeb {

template <class... Interfaces>
class TInterfacedObject : public Interfaces... {
  static_assert(sizeof...(Interfaces) > 0, "an object implements at least one interface");

 public:
  TInterfacedObject() = default;
  TInterfacedObject(const TInterfacedObject&) = delete;
  TInterfacedObject& operator=(const TInterfacedObject&) = delete;

  HRESULT QueryInterface(const TGUID& iid, void** obj) override {
    if (obj == nullptr) return E_POINTER;
    *obj = nullptr;
    if (!(Find<Interfaces>(iid, obj) || ...)) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  std::int32_t AddRef() override { return ++refCount_; }
  std::int32_t Release() override {
    const std::int32_t left = --refCount_;
    if (left == 0) delete this;
    return left;
  }

  std::int32_t RefCount() const noexcept { return refCount_; }

 protected:
  virtual ~TInterfacedObject() = default;

 private:
  // Walks I and the interfaces it extends; stores the matching one, adjusted from this object.
  template <class I>
  bool Find(const TGUID& iid, void** obj) {
    if constexpr (std::is_void_v<I>) {
      return false;
    } else {
      if (iid == I::IID) {
        *obj = static_cast<I*>(static_cast<FirstMatch<I>*>(this));
        return true;
      }
      return Find<typename I::Inherited>(iid, obj);
    }
  }

  // The first listed interface that derives from I, so that a base shared by several listed
  // interfaces (IInterface above all) resolves without ambiguity.
  template <class I, class Head, class... Tail>
  struct FirstDerived {
    using type = std::conditional_t<std::is_base_of_v<I, Head>, Head,
                                    typename FirstDerived<I, Tail...>::type>;
  };
  template <class I, class Head>
  struct FirstDerived<I, Head> {
    using type = Head;
  };
  template <class I>
  using FirstMatch = typename FirstDerived<I, Interfaces...>::type;

  std::atomic<std::int32_t> refCount_{0};
};

// Creates a counted object and hands back its first reference.
template <class T, class... Args>
ComPtr<T> MakeCounted(Args&&... args) {
  return ComPtr<T>::Borrow(new T(std::forward<Args>(args)...));
}

}  // namespace zeb
