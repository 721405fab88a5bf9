#include <gtest/gtest.h>

#include <string>

#include "platform/text_io.h"
#include "strlib.h"
#include "test_support.h"
#include "zarn.h"

using sequence_specifications::Strand;
using sequence_specifications::basic::SEQUENCE_DATA;

// A side on both strands has no order of positions: the line stops there,
// what came before it written, with the place of that side.
TEST(NotAligned, ASideOnBothStrandsIsRefusedWithItsPlace) {
  SEQUENCE_DATA first;
  SEQUENCE_DATA second;
  first.Identifier = strlib::To_Pointer("first");
  second.Identifier = strlib::To_Pointer("second");
  struct Case {
    Strand strand_1, strand_2;
    std::string raised, written;
  };
  const Case cases[] = {
      {Strand::BOTH, Strand::WATSON, "SEQUENCE_SPECIFICATIONS.INVALID_STRAND zarn:80", "first           B"},
      {Strand::CRICK, Strand::BOTH, "SEQUENCE_SPECIFICATIONS.INVALID_STRAND zarn:93",
       "first           C          20          10 second          B"},
      {Strand::WATSON, Strand::CRICK, "nothing raised",
       "first           W          10          20 second          C          40          30 NOT ALIGNED\n"},
  };
  for (const Case& c : cases) {
    platform::Output_File file;
    file.create_in_memory();
    const auto put = [&] { zarn::Put_Not_Aligned(file, first, second, 10, 20, 30, 40, c.strand_1, c.strand_2); };
    EXPECT_EQ(test_support::raised(put), c.raised);
    EXPECT_EQ(file.contents(), c.written);
  }
}
