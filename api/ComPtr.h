// ComPtr<T>: the one owner of a counted interface reference.
//
// Ownership moves are named: Attach takes over a reference the caller already owns, Borrow adds
// one of its own, Detach hands the reference back to the caller. TryAs queries and comes back
// empty on failure; As is the checked cast and raises the runtime's EIntfCastError.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

#include "api/Interface.h"

namespace zeb {

template <class T>
class ComPtr {
  template <class U>
  friend class ComPtr;

 public:
  using element_type = T;

  ComPtr() noexcept = default;
  ComPtr(std::nullptr_t) noexcept {}  // NOLINT(google-explicit-constructor)
  ComPtr(const ComPtr& other) noexcept : p_(other.p_) { AddRefIfAny(); }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  template <class U>
  requires std::is_convertible_v<U*, T*> ComPtr(const ComPtr<U>& other)
  noexcept : p_(other.p_) {  // NOLINT: implicit upcast
    AddRefIfAny();
  }
  template <class U>
  requires std::is_convertible_v<U*, T*> ComPtr(ComPtr<U>&& other)
  noexcept : p_(std::exchange(other.p_, nullptr)) {}  // NOLINT
  ~ComPtr() { ReleaseIfAny(); }

  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }

  // Takes over a reference the caller owns (no AddRef).
  static ComPtr Attach(T* p) noexcept {
    ComPtr r;
    r.p_ = p;
    return r;
  }
  // Shares a reference the caller only borrows (AddRef).
  static ComPtr Borrow(T* p) noexcept {
    ComPtr r;
    r.p_ = p;
    r.AddRefIfAny();
    return r;
  }
  // Hands the reference to the caller, who must pass it on to another owner.
  [[nodiscard]] T* Detach() noexcept { return std::exchange(p_, nullptr); }

  void Reset() noexcept {
    ReleaseIfAny();
    p_ = nullptr;
  }

  T* Get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  T& operator*() const noexcept { return *p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }

  friend bool operator==(const ComPtr& a, std::nullptr_t) noexcept { return a.p_ == nullptr; }

  // Query for U: an empty pointer when the object does not support it (or this one is empty).
  template <class U>
  ComPtr<U> TryAs() const {
    ComPtr<U> r;
    if (p_ != nullptr) {
      void* out = nullptr;
      if (p_->QueryInterface(U::IID, &out) == S_OK) r.p_ = static_cast<U*>(out);
    }
    return r;
  }

  // Checked cast to U: raises EIntfCastError when the object does not support it. An empty
  // pointer casts to an empty pointer, as a nil reference does in the IDE's runtime.
  //
  // The error is the runtime's (runtime/Exceptions.h, which a caller of As includes): these
  // headers declare nothing that another library defines, so RaiseIntfCastError is found where
  // As is used, by the namespace of the interface cast to.
  template <class U>
  ComPtr<U> As() const {
    if (p_ == nullptr) return {};
    ComPtr<U> r = TryAs<U>();
    if (!r) RaiseIntfCastError(static_cast<const U*>(nullptr), U::Name);
    return r;
  }

 private:
  void AddRefIfAny() const noexcept {
    if (p_ != nullptr) p_->AddRef();
  }
  void ReleaseIfAny() noexcept {
    if (p_ != nullptr) p_->Release();
  }

  T* p_ = nullptr;
};

// Supports-style query: true and `out` set when `source` supports I, false and `out` empty
// otherwise.
template <class I, class S>
bool Supports(const ComPtr<S>& source, ComPtr<I>& out) {
  out = source.template TryAs<I>();
  return static_cast<bool>(out);
}

}  // namespace zeb
