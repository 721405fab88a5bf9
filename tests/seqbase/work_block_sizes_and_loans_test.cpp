// The run's working memory: kept, grown, and never shared by two holders.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <thread>

#include "platform/work_block.h"

using platform::Work_Block;
using platform::Work_Loan;

namespace {

// Writes every byte asked for, then reads them back: under AddressSanitizer
// a block smaller than asked is reported here.
void fill_and_check(std::uint8_t* bytes, std::size_t size, std::uint8_t value) {
  std::memset(bytes, value, size);
  for (std::size_t k = 0; k < size; k += 4093) ASSERT_EQ(bytes[k], value) << k;
  ASSERT_EQ(bytes[size - 1], value);
}

}  // namespace

TEST(WorkBlock, EverySizeAskedForIsThereWhetherItGrowsOrShrinks) {
  Work_Block block;
  for (const std::size_t size : {std::size_t(100), std::size_t(40), std::size_t(5) << 20, std::size_t(4096),
                                 std::size_t(12) << 20, std::size_t(1)}) {
    SCOPED_TRACE(size);
    std::uint8_t* bytes = block.allocate(size);
    ASSERT_NE(bytes, nullptr);
    EXPECT_GE(block.size(), size);
    fill_and_check(bytes, size, std::uint8_t(size));
  }
  block.release();
  EXPECT_EQ(block.size(), 0u);
  fill_and_check(block.allocate(0), 0 + 1, 7);  // an empty request still gives a block
}

TEST(WorkLoan, TheThreadsBlockServesOneHolderAtATime) {
  std::uint8_t* first = nullptr;
  {
    Work_Loan outer;
    first = outer.block().allocate(50000);
    std::memset(first, 0x11, 50000);
    {
      // A second holder while the first still works: storage of its own.
      Work_Loan inner;
      std::uint8_t* other = inner.block().allocate(50000);
      EXPECT_NE(other, first);
      std::memset(other, 0x22, 50000);
    }
    EXPECT_EQ(first[0], 0x11);
    EXPECT_EQ(first[49999], 0x11);
  }
  // The next computation of the thread finds the same storage again.
  Work_Loan again;
  EXPECT_EQ(again.block().allocate(50000), first);

  // Another thread has a block of its own.
  std::uint8_t* elsewhere = nullptr;
  std::thread([&] {
    Work_Loan loan;
    elsewhere = loan.block().allocate(50000);
    std::memset(elsewhere, 0x33, 50000);
  }).join();
  EXPECT_NE(elsewhere, first);
  EXPECT_EQ(first[123], 0x11);
}
