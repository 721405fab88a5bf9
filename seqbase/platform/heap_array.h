// A nullable, owned heap array that carries its own index bounds.
//
// One allocation holds First, Last and the elements First..Last. Null (no
// array) is distinct from an empty array (Last < First). Elements are
// zero-filled so that a partly filled array never exposes garbage, except
// in an array made for overwriting, whose maker writes every element before
// any is read. Move-only: ownership is explicit, copies are made on purpose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <span>
#include <string>
#include <type_traits>
#include <utility>

#include "platform/exceptions.h"

namespace platform {

template <class T>
class Heap_Array {
  static_assert(std::is_trivially_copyable_v<T>, "elements are copied as bytes");

 public:
  Heap_Array() noexcept = default;
  Heap_Array(std::nullptr_t) noexcept {}
  Heap_Array(Heap_Array&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
  Heap_Array& operator=(Heap_Array&& other) noexcept {
    if (this != &other) {
      release();
      block_ = std::exchange(other.block_, nullptr);
    }
    return *this;
  }
  Heap_Array(const Heap_Array&) = delete;
  Heap_Array& operator=(const Heap_Array&) = delete;
  ~Heap_Array() { release(); }

  // A new array with bounds First..Last, every element zero. More elements
  // than a length can count raise CONSTRAINT_ERROR before any allocation.
  static Heap_Array make(std::int32_t first, std::int32_t last) {
    Heap_Array result = make_for_overwrite(first, last);
    std::memset(static_cast<void*>(result.data()), 0, std::size_t(result.length()) * sizeof(T));
    return result;
  }

  // The same with the elements left unset: the caller writes every one of
  // them before any is read.
  static Heap_Array make_for_overwrite(std::int32_t first, std::int32_t last) {
    Heap_Array result;
    const std::int64_t count = last >= first ? std::int64_t(last) - first + 1 : 0;
    if (count > max_length) too_long(first, last);
    const std::size_t bytes = sizeof(Header) + std::size_t(count) * sizeof(T);
    void* memory = nullptr;
    try {
      memory = ::operator new(bytes);
    } catch (const std::bad_alloc&) {
      raise(standard::STORAGE_ERROR, "heap exhausted");
    }
    result.block_ = static_cast<Header*>(memory);
    result.block_->first = first;
    result.block_->last = last;
    return result;
  }

  // A new array with bounds First..First+size-1 holding a copy of Items.
  static Heap_Array copy_of(const T* items, std::int64_t size, std::int32_t first = 1) {
    if (size > max_length || first + size - 1 > max_length) too_long(first, first + size - 1);
    Heap_Array result = make_for_overwrite(first, std::int32_t(first + size - 1));
    if (size > 0) std::memcpy(result.data(), items, std::size_t(size) * sizeof(T));
    return result;
  }

  bool is_null() const noexcept { return block_ == nullptr; }
  explicit operator bool() const noexcept { return block_ != nullptr; }

  // Bounds of a non-null array.
  std::int32_t first() const noexcept { return block_->first; }
  std::int32_t last() const noexcept { return block_->last; }
  // Number of elements; 0 for null.
  std::int32_t length() const noexcept {
    if (!block_ || block_->last < block_->first) return 0;
    return std::int32_t(std::int64_t(block_->last) - block_->first + 1);
  }

  T* data() noexcept { return block_ ? reinterpret_cast<T*>(block_ + 1) : nullptr; }
  const T* data() const noexcept {
    return block_ ? reinterpret_cast<const T*>(block_ + 1) : nullptr;
  }

  // The element at index I, I within First..Last.
  T& operator()(std::int32_t i) noexcept { return data()[std::int64_t(i) - block_->first]; }
  const T& operator()(std::int32_t i) const noexcept {
    return data()[std::int64_t(i) - block_->first];
  }

  std::span<T> span() noexcept { return {data(), std::size_t(length())}; }
  std::span<const T> span() const noexcept { return {data(), std::size_t(length())}; }

  // A new array with the same bounds and elements (null stays null).
  Heap_Array clone() const {
    if (!block_) return {};
    Heap_Array result = make_for_overwrite(first(), last());
    if (length() > 0) std::memcpy(result.data(), data(), std::size_t(length()) * sizeof(T));
    return result;
  }

  void reset() noexcept { release(); }

 private:
  struct alignas(alignof(std::max_align_t) > 8 ? 8 : alignof(std::max_align_t)) Header {
    std::int32_t first;
    std::int32_t last;
  };
  static_assert(alignof(T) <= alignof(Header), "element alignment beyond the header's");

  static constexpr std::int64_t max_length = std::numeric_limits<std::int32_t>::max();

  [[noreturn]] static void too_long(std::int64_t first, std::int64_t last) {
    raise(standard::CONSTRAINT_ERROR, "bounds " + std::to_string(first) + ".." +
                                          std::to_string(last) + " beyond the 32-bit limits");
  }

  void release() noexcept {
    if (block_) {
      ::operator delete(block_);
      block_ = nullptr;
    }
  }

  Header* block_ = nullptr;
};

}  // namespace platform
