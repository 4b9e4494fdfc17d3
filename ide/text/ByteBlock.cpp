#include "ide/text/ByteBlock.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace zeb {

ByteBlock ByteBlock::Zeros(std::size_t size) {
  ByteBlock block;
  if (size <= kInline) {
    std::memset(block.inline_, 0, size);
  } else {
    block.heap_ = static_cast<char*>(std::calloc(size, 1));
    if (block.heap_ == nullptr) throw std::bad_alloc();
    block.capacity_ = size;
  }
  block.size_ = size;
  return block;
}

void ByteBlock::Reserve(std::size_t capacity) {
  if (capacity <= Capacity()) return;
  if (heap_ == nullptr) {
    auto* heap = static_cast<char*>(std::malloc(capacity));
    if (heap == nullptr) throw std::bad_alloc();
    std::memcpy(heap, inline_, size_);
    heap_ = heap;
  } else {
    auto* heap = static_cast<char*>(std::realloc(heap_, capacity));
    if (heap == nullptr) throw std::bad_alloc();
    heap_ = heap;
  }
  capacity_ = capacity;
}

void ByteBlock::Resize(std::size_t size) {
  if (size > Capacity()) Reserve(size);
  size_ = size;
}

void ByteBlock::Assign(std::string_view bytes) {
  size_ = 0;
  Append(bytes);
}

void ByteBlock::Append(std::string_view bytes) {
  if (bytes.empty()) return;
  const std::size_t at = size_;
  Resize(at + bytes.size());
  std::memcpy(Data() + at, bytes.data(), bytes.size());
}

void ByteBlock::Release() noexcept {
  std::free(heap_);
  heap_ = nullptr;
  size_ = 0;
  capacity_ = 0;
}

}  // namespace zeb
