// A block of working memory for one computation, released as a whole.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Large blocks are mapped on their own with transparent huge pages
// advised: a fresh block per call then costs a few page faults instead of
// thousands. The contents of a new block are unspecified.
class Work_Block {
 public:
  Work_Block() = default;
  Work_Block(const Work_Block&) = delete;
  Work_Block& operator=(const Work_Block&) = delete;
  ~Work_Block() { release(); }

  // STORAGE_ERROR when the memory cannot be had; any earlier block is
  // released first.
  std::uint8_t* allocate(std::size_t bytes);
  void release() noexcept;

 private:
  std::uint8_t* data_ = nullptr;
  std::size_t mapped_ = 0;  // bytes mapped, or 0 for a heap block
};

}  // namespace platform
