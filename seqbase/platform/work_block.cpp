#include "platform/work_block.h"

#include <sys/mman.h>

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

#ifdef MADV_HUGEPAGE
constexpr std::size_t huge_from = std::size_t(4) << 20;
#endif

// Mapped on its own, so that growing moves page tables instead of bytes and
// the pages already touched stay with the block.
std::uint8_t* Work_Block::allocate(std::size_t bytes) {
  if (bytes == 0) bytes = 1;
  if (bytes <= size_) return data_;
  void* block = MAP_FAILED;
#ifdef MREMAP_MAYMOVE
  if (data_ != nullptr) block = ::mremap(data_, size_, bytes, MREMAP_MAYMOVE);
#endif
  if (block == MAP_FAILED) {
    release();
    block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
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
