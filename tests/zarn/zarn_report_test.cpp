#include <gtest/gtest.h>

#include "test_support.h"

#include <string>

#include "platform/text_io.h"
#include "sequence_alignment-global.h"
#include "sequence_alignment-utils.h"
#include "sequence_alignment.h"
#include "sequence_io.h"
#include "sequence_specifications.h"
#include "strlib.h"
#include "zarn_options.h"
#include "zarn_read.h"
#include "zarn_report.h"

namespace {

namespace ss = sequence_specifications;

std::string report(const platform::Exception_Id& id, const std::string& message) {
  platform::Standard_Output_Capture capture;
  zarn_report::Report_Exception(platform::Error(id, message));
  return capture.text();
}

}  // namespace

// Every branch of the reporter and every key, in the reporter's order; each
// report follows a line naming the exception and its message.
TEST(ZarnReport, EverySentence) {
  struct Case {
    const platform::Exception_Id& id;
    const char* message;
  };
  const Case cases[] = {
      {sequence_alignment::INCONSISTENT_MODEL, "zarn:191"},
      {sequence_alignment::INCONSISTENT_RANGE, "sequence_alignment-local:798"},
      {ss::NOT_IMPLEMENTED, "zarn:600"},
      {sequence_alignment::utils::MATRIX_NAME_ERROR, "data/blosum.txt"},
      {io_exceptions::NAME_ERROR, "Position pairs.txt"},
      {io_exceptions::NAME_ERROR, "Alignment /tmp/hba_hbb.aln"},
      {io_exceptions::NAME_ERROR, "sequence my file.seq"},
      {sequence_io::SEQUENCE_IO_ERROR, "x.seq"},
      {zarn_options::INVALID_DATA, "O_Building"},
      {zarn_options::INVALID_DATA, "O_Optimize"},
      {zarn_options::INVALID_DATA, "O_Backward"},
      {zarn_options::INVALID_DATA, "O_Match_Weight"},
      {zarn_options::INVALID_DATA, "O_Mismatch_Weight"},
      {zarn_options::INVALID_DATA, "O_Gap_Weight"},
      {zarn_options::INVALID_DATA, "O_Gap_Length_Weight"},
      {zarn_options::INVALID_DATA, "O_Similarity_Threshold"},
      {zarn_options::INVALID_DATA, "O_Randomization"},
      {zarn_options::INVALID_DATA, "O_Preserve"},
      {zarn_options::INVALID_DATA, "O_Length_Max"},
      {zarn_options::INVALID_DATA, "O_Lmin"},
      {zarn_options::INVALID_DATA, "O_Smin"},
      {zarn_options::INVALID_DATA, "O_Adjust"},
      {zarn_options::INVALID_DATA, "O_Name 2"},
      {zarn_options::INVALID_DATA, "L_Name 1"},
      {zarn_options::INVALID_DATA, "L_Poslist"},
      {zarn_options::INVALID_DATA, "F_Start  12"},
      {zarn_options::INVALID_DATA, "F_Stop  7"},
      {zarn_options::INVALID_DATA, "F_Direction  3"},
      {zarn_options::INVALID_DATA, "O_Start 1"},
      {zarn_options::INVALID_DATA, "O_Stop 2"},
      {zarn_options::INVALID_DATA, "P_Start dir/a.seq"},
      {zarn_options::INVALID_DATA, "P_Stop b.gcg"},
      {zarn_options::INVALID_DATA, "o_building"},
      {zarn_options::INVALID_DATA, "O_Buildings"},
      {ss::INVALID_SEQUENCE_FORMAT, "L  12"},
      {ss::INVALID_SEQUENCE_FORMAT, "F2"},
      {ss::INVALID_SEQUENCE_FORMAT, "l  12"},
      {ss::INVALID_SEQUENCE_MODEL, "L  3"},
      {ss::INVALID_SEQUENCE_MODEL, "T1"},
      {ss::INVALID_SEQUENCE_MODEL, "zarn_read:59"},
      {ss::INVALID_STRAND, "L  4"},
      {ss::INVALID_STRAND, "U ZARN-L1"},
      {ss::INVALID_STRAND, "1"},
      {ss::INVALID_STRAND, "zarn:127"},
      {ss::INVALID_STRAND, "UL x"},
      {standard::CONSTRAINT_ERROR, "argument 2 not on the command line"},
      {io_exceptions::DATA_ERROR, "no integer literal"},
      {io_exceptions::END_ERROR, ""},
      {strlib::INDEX_ERROR, "strlib:500"},
      {zarn_read::INVALID_ACCESS, "zarn_read:173"},
      {sequence_alignment::INVALID_FORMAT, "sequence_alignment-local:775"},
      {sequence_alignment::global::INTERNAL_ERROR, "sequence_alignment-global:1"},
      // Messages without the word that the sentence needs.
      {sequence_alignment::utils::MATRIX_NAME_ERROR, ""},
      {io_exceptions::NAME_ERROR, "Position"},
      {io_exceptions::NAME_ERROR, "   "},
      {zarn_options::INVALID_DATA, "O_Name"},
      {zarn_options::INVALID_DATA, "F_Start   "},
      {zarn_options::INVALID_DATA, ""},
      {ss::INVALID_SEQUENCE_FORMAT, "L"},
      {ss::INVALID_STRAND, "U"},
      {ss::INVALID_STRAND, ""},
  };
  std::string all;
  for (const Case& c : cases) {
    all += std::string("== ") + c.id.name + " \"" + c.message + "\"\n" + report(c.id, c.message);
  }
  EXPECT_TRUE(test_support::matches_golden(all, "zarn/reporter.txt"));
}
