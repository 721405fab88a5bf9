#include "platform/work_block.h"

#include <sys/mman.h>

#include <new>

#include "platform/exceptions.h"

namespace platform {

namespace {

constexpr std::size_t mapped_from = std::size_t(4) << 20;

}  // namespace

std::uint8_t* Work_Block::allocate(std::size_t bytes) {
  release();
  if (bytes >= mapped_from) {
    void* block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) raise(standard::STORAGE_ERROR, "work block of " + std::to_string(bytes) + " bytes");
#ifdef MADV_HUGEPAGE
    ::madvise(block, bytes, MADV_HUGEPAGE);  // advice only: failing it changes nothing
#endif
    data_ = static_cast<std::uint8_t*>(block);
    mapped_ = bytes;
  } else {
    data_ = new (std::nothrow) std::uint8_t[bytes == 0 ? 1 : bytes];
    if (!data_) raise(standard::STORAGE_ERROR, "work block of " + std::to_string(bytes) + " bytes");
  }
  return data_;
}

void Work_Block::release() noexcept {
  if (mapped_ != 0) {
    ::munmap(data_, mapped_);
  } else {
    delete[] data_;
  }
  data_ = nullptr;
  mapped_ = 0;
}

}  // namespace platform
