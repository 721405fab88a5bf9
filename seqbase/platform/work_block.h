// Working memory for the computations of a run, kept from one to the next.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// A block that grows when a computation needs more than it holds and never
// shrinks until released: a run of many computations touches its pages
// once, instead of having the system zero fresh pages for each. The
// contents after allocate() are unspecified: earlier contents are not
// guaranteed to be kept (a block grown in place or moved keeps them, one
// taken from the ordinary allocator does not).
//
// Under AddressSanitizer the block comes from the ordinary allocator at the
// exact size asked for, so that an access past what a computation asked for
// is reported.
class Work_Block {
 public:
  constexpr Work_Block() noexcept = default;
  Work_Block(const Work_Block&) = delete;
  Work_Block& operator=(const Work_Block&) = delete;
  ~Work_Block() { release(); }

  // At least Bytes bytes. STORAGE_ERROR when the memory cannot be had (the
  // block is then empty).
  std::uint8_t* allocate(std::size_t bytes);
  void release() noexcept;
  std::size_t size() const noexcept { return size_; }

 private:
  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

// The calling thread's block, kept for the whole run and lent to one
// computation at a time; a computation that starts while it is lent (a
// test comparing two fills) gets a block of its own instead. The thread's
// block is created on first use.
class Work_Loan {
 public:
  Work_Loan() noexcept;
  ~Work_Loan();
  Work_Loan(const Work_Loan&) = delete;
  Work_Loan& operator=(const Work_Loan&) = delete;

  Work_Block& block() noexcept { return *block_; }

 private:
  Work_Block own_;
  Work_Block* block_;
};

}  // namespace platform
