#include "platform/work_block.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <new>
#include <string>

#include "platform/exceptions.h"

#if defined(__SANITIZE_ADDRESS__)
#define WORK_BLOCK_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define WORK_BLOCK_FROM_HEAP 1
#endif
#endif

namespace platform {

namespace {

[[noreturn]] void refuse(std::size_t bytes) {
  raise(standard::STORAGE_ERROR, "work block of " + std::to_string(bytes) + " bytes");
}

// Created on first use by each thread that computes; constant-initialised,
// so nothing runs before main.
thread_local Work_Block kept;
thread_local bool kept_lent = false;

}  // namespace

#ifdef WORK_BLOCK_FROM_HEAP

std::uint8_t* Work_Block::allocate(std::size_t bytes) {
  if (data_ != nullptr && bytes == size_) return data_;
  release();
  data_ = new (std::nothrow) std::uint8_t[bytes == 0 ? 1 : bytes];
  if (!data_) refuse(bytes);
  size_ = bytes;
  return data_;
}

void Work_Block::release() noexcept {
  delete[] data_;
  data_ = nullptr;
  size_ = 0;
}

#else

namespace {

#ifdef MADV_HUGEPAGE
constexpr std::size_t huge_from = std::size_t(4) << 20;
#endif

// Huge pages only back ranges that start on their boundary; a block that
// starts on one keeps them when it grows or moves.
constexpr std::size_t huge_page = std::size_t(2) << 20;

// Fresh memory for Bytes at an address on a huge-page boundary, or MAP_FAILED.
void* map_aligned(std::size_t bytes) {
  const std::size_t page = std::size_t(::sysconf(_SC_PAGESIZE));
  const std::size_t length = (bytes + page - 1) / page * page;
  const std::size_t span = length + huge_page;
  void* area = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (area == MAP_FAILED) return area;
  const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(area);
  const std::uintptr_t aligned = (start + huge_page - 1) & ~std::uintptr_t(huge_page - 1);
  if (aligned > start) ::munmap(area, aligned - start);
  ::munmap(reinterpret_cast<void*>(aligned + length), start + span - (aligned + length));
  return reinterpret_cast<void*>(aligned);
}

// Grown in place when the addresses after the block are free, else moved
// whole (page tables, not bytes) to a fresh aligned place: the pages
// already touched stay with the block.
void* grown(void* block, std::size_t size, std::size_t bytes) {
#if defined(MREMAP_MAYMOVE) && defined(MREMAP_FIXED)
  void* at = ::mremap(block, size, bytes, 0);
  if (at != MAP_FAILED) return at;
  void* target = map_aligned(bytes);
  if (target == MAP_FAILED) return target;
  at = ::mremap(block, size, bytes, MREMAP_MAYMOVE | MREMAP_FIXED, target);
  if (at == MAP_FAILED) ::munmap(target, bytes);
  return at;
#else
  (void)block, (void)size, (void)bytes;
  return MAP_FAILED;
#endif
}

}  // namespace

std::uint8_t* Work_Block::allocate(std::size_t bytes) {
  if (bytes == 0) bytes = 1;
  if (bytes <= size_) return data_;
  void* block = data_ != nullptr ? grown(data_, size_, bytes) : MAP_FAILED;
  if (block == MAP_FAILED) {
    release();
    block = map_aligned(bytes);
    if (block == MAP_FAILED) refuse(bytes);
  }
  data_ = static_cast<std::uint8_t*>(block);
  size_ = bytes;
#ifdef MADV_HUGEPAGE
  // Huge pages fault in a few times instead of thousands and spare the fill
  // and the traceback most of their TLB misses: a 3000 x 3000 and a 12000 x
  // 12000 couple both run faster with them, even right after a process
  // that filled memory. Advice only: failing it changes nothing.
  if (bytes >= huge_from) ::madvise(block, bytes, MADV_HUGEPAGE);
#endif
  return data_;
}

void Work_Block::release() noexcept {
  if (data_ != nullptr) ::munmap(data_, size_);
  data_ = nullptr;
  size_ = 0;
}

#endif

Work_Loan::Work_Loan() noexcept : block_(&own_) {
  if (!kept_lent) {
    kept_lent = true;
    block_ = &kept;
  }
}

Work_Loan::~Work_Loan() {
  if (block_ == &kept) kept_lent = false;
}

}  // namespace platform
