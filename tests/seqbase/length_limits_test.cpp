// Lengths and indices at the 32-bit limits: refused, never narrowed or wrapped.
#include <gtest/gtest.h>

#include <sys/mman.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <utility>

#include "platform/heap_array.h"
#include "sequence_specifications-basic.h"
#include "strlib.h"
#include "test_support.h"

using namespace strlib;

namespace {

constexpr std::int32_t int_max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t int_min = std::numeric_limits<std::int32_t>::min();
constexpr std::size_t beyond = std::size_t(int_max) + 1;

// Address space that is never touched: views of it are longer than any
// string that a test could afford to allocate.
class Untouched_Bytes {
 public:
  explicit Untouched_Bytes(std::size_t size) : size_(size) {
    void* p = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p != MAP_FAILED) data_ = static_cast<char*>(p);
  }
  ~Untouched_Bytes() {
    if (data_) ::munmap(data_, size_);
  }
  bool reserved() const { return data_ != nullptr; }
  Plain_View view(std::size_t n) const { return Plain_View(std::string_view(data_, n)); }

 private:
  char* data_ = nullptr;
  std::size_t size_;
};

const std::string refused = "CONSTRAINT_ERROR";
// The places strlib prints with them: a new string too long, an index beyond the bounds.
const std::string too_long = "CONSTRAINT_ERROR strlib:29";
const std::string beyond_bounds = "CONSTRAINT_ERROR strlib:38";

std::string name_of(const std::string& raised) { return raised.substr(0, raised.find(' ')); }

}  // namespace

TEST(LengthLimits, BuildersRefuseResultsBeyondTheLimit) {
  const Untouched_Bytes bytes(beyond);
  if (!bytes.reserved()) GTEST_SKIP() << "no address space for the long views";
  const String_Pointer abc = To_Pointer("abc");
  struct Case {
    const char* what;
    std::function<void()> build;
  };
  const Case cases[] = {
      {"Concat plain and pointer", [&] { Concat(bytes.view(beyond - 2), abc); }},
      {"Concat pointer and plain", [&] { Concat(abc, bytes.view(beyond - 1)); }},
      {"Insert_After", [&] { Insert_After(abc, bytes.view(beyond - 3), 3); }},
      {"Insert_Before", [&] { Insert_Before(abc, bytes.view(beyond - 3), 1); }},
      {"Insert_After a null source", [&] { Insert_After(String_Pointer(), bytes.view(beyond), 1); }},
      {"To_Pointer", [&] { To_Pointer(bytes.view(beyond)); }},
      {"Copy_Non_Empty", [&] { Copy_Non_Empty(bytes.view(beyond), To_Pointer("old")); }},
  };
  for (const Case& c : cases) EXPECT_EQ(test_support::raised(c.build), too_long) << c.what;
}

TEST(LengthLimits, WordsAndSearchesNeverWrapAnIndex) {
  String_Pointer word = To_Pointer("old");
  // A word or a run of separators that reaches the last index gives no Next.
  const Plain_View at_top("ab", int_max - 1);
  EXPECT_EQ(test_support::raised([&] { Next_Word(at_top, word, int_max - 1, " "); }), beyond_bounds);
  EXPECT_EQ(test_support::raised([&] { Next_Word(Plain_View("a  ", int_max - 2), word, int_max - 1, " "); }),
            beyond_bounds);
  EXPECT_EQ(word.view(), "old");  // kept by the failing calls
  EXPECT_EQ(Next_Word(Plain_View("a ", int_max - 1), word, int_max - 1, " "), int_max);
  EXPECT_EQ(word.view(), "a");

  word = To_Pointer("old");
  const Plain_View at_bottom("ab", int_min);
  EXPECT_EQ(test_support::raised([&] { Previous_Word(at_bottom, word, int_min + 1, " "); }), beyond_bounds);
  EXPECT_EQ(test_support::raised([&] { Previous_Word(Plain_View("  a", int_min), word, int_min + 1, " "); }),
            beyond_bounds);
  EXPECT_EQ(word.view(), "old");
  EXPECT_EQ(Previous_Word(Plain_View(" ab", int_min), word, int_min + 2, " "), int_min);
  EXPECT_EQ(word.view(), "ab");

  // An empty Pattern is found after the last character.
  EXPECT_EQ(test_support::raised([&] { Backward_Index(at_top, ""); }), beyond_bounds);
  EXPECT_EQ(Backward_Index(at_top, "b"), int_max);
  EXPECT_EQ(Backward_Index(Plain_View("ab", int_max - 2), ""), int_max);

  // An empty source at the lowest First holds no index at all.
  EXPECT_EQ(test_support::raised([&] { Next_Word(Plain_View("", int_min), word, 0, " "); }),
            "STRLIB.INDEX_ERROR strlib:500");
  EXPECT_EQ(test_support::raised([&] { Previous_Word(Plain_View("", int_min), word, 0, " "); }),
            "STRLIB.INDEX_ERROR strlib:559");
}

TEST(LengthLimits, ArraysRefuseMoreElementsThanALengthCounts) {
  using Array = platform::Heap_Array<char>;
  for (const auto& bounds : {std::pair{0, int_max}, {int_min, -1}, {int_min, int_max}}) {
    EXPECT_EQ(name_of(test_support::raised([&] { Array::make(bounds.first, bounds.second); })), refused)
        << bounds.first << ".." << bounds.second;
  }
  EXPECT_EQ(Array::make(int_max, int_max).length(), 1);
  const char items[] = "xy";
  EXPECT_EQ(name_of(test_support::raised([&] { Array::copy_of(items, 2, int_max); })), refused);
  EXPECT_EQ(Array::copy_of(items, 1, int_max).last(), int_max);

  using sequence_specifications::basic::Sequence_Data_Array;
  EXPECT_EQ(name_of(test_support::raised([] { Sequence_Data_Array(0, int_max); })), refused);
}
