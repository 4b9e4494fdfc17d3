// ByteBlock: bytes owned in one allocation that grows in place where the allocator can.
//
// Text storage and undo steps hold their bytes here rather than in std::string: growing a large
// block goes through realloc, which moves no bytes for big allocations (the pages are remapped),
// and growing never fills the new room, so room reserved and not yet written costs no memory.
// Up to kInline bytes are held inside the object, so that a typed character's undo record needs
// no allocation.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

namespace zeb {

class ByteBlock {
 public:
  static constexpr std::size_t kInline = 16;

  ByteBlock() noexcept = default;
  explicit ByteBlock(std::string_view bytes) { Assign(bytes); }
  // Moves are inline and copy the inline bytes whole: undo steps move on every key press.
  ByteBlock(ByteBlock&& other) noexcept
      : heap_(std::exchange(other.heap_, nullptr)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {
    if (heap_ == nullptr) std::memcpy(inline_, other.inline_, kInline);
  }
  ByteBlock& operator=(ByteBlock&& other) noexcept {
    if (this == &other) return *this;
    if (heap_ != nullptr) std::free(heap_);
    heap_ = std::exchange(other.heap_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    if (heap_ == nullptr) std::memcpy(inline_, other.inline_, kInline);
    return *this;
  }
  ByteBlock(const ByteBlock&) = delete;
  ByteBlock& operator=(const ByteBlock&) = delete;
  ~ByteBlock() {
    if (heap_ != nullptr) std::free(heap_);
  }

  // `size` zero bytes. Pages the allocator maps for it stay unused until written.
  static ByteBlock Zeros(std::size_t size);

  char* Data() noexcept { return heap_ != nullptr ? heap_ : inline_; }
  const char* Data() const noexcept { return heap_ != nullptr ? heap_ : inline_; }
  std::size_t Size() const noexcept { return size_; }
  std::size_t Capacity() const noexcept { return heap_ != nullptr ? capacity_ : kInline; }
  std::string_view View() const noexcept { return {Data(), size_}; }

  // Makes room for `capacity` bytes; the content stays. Raises std::bad_alloc.
  void Reserve(std::size_t capacity);
  // Changes the size; bytes added are not initialised.
  void Resize(std::size_t size);
  void Assign(std::string_view bytes);
  void Append(std::string_view bytes);
  void Clear() noexcept { size_ = 0; }
  // Gives the memory back.
  void Release() noexcept;

 private:
  char* heap_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  char inline_[kInline] = {};
};

}  // namespace zeb
