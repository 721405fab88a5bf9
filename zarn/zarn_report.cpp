#include "zarn_report.h"

#include <string>
#include <string_view>

#include "platform/text_io.h"
#include "sequence_alignment-utils.h"
#include "sequence_alignment.h"
#include "sequence_io.h"
#include "sequence_specifications.h"
#include "strlib.h"
#include "zarn_options.h"

namespace zarn_report {

namespace {

constexpr std::string_view invalid_tail = " is invalid. Please check.";

// The message read as blank-separated words: the key, then its argument.
class Message_Words {
 public:
  explicit Message_Words(const std::string& message) : text_(message, 1) {}

  std::string_view read_first() {
    position_ = text_.first();
    return read(first_word_);
  }
  std::string_view read_next() { return read(second_word_); }

 private:
  // A word the message does not hold reads as empty.
  std::string_view read(strlib::String_Pointer& word) {
    if (position_ > text_.last()) {
      word.reset();
    } else {
      position_ = strlib::Next_Word(text_.slice(position_, text_.last()), word, position_, " ");
    }
    return word.view();
  }

  strlib::Plain_View text_;
  strlib::String_Pointer first_word_;
  strlib::String_Pointer second_word_;
  std::int32_t position_ = 1;
};

struct Key_Sentence {
  const char* key;
  bool needs_argument;
  const char* before;  // the text before the argument, or the whole first line
  const char* after;   // the text after the argument
  const char* second_line;
};

// Compared in this order, exactly.
constexpr Key_Sentence invalid_data_keys[] = {
    {"O_Building", false, "The building option is invalid. Please check.", "", nullptr},
    {"O_Optimize", false, "The optimize option is invalid. Please check.", "", nullptr},
    {"O_Backward", false, "The backward option is invalid. Please check.", "", nullptr},
    {"O_Match_Weight", false, "The match weight option is invalid. Please check.", "", nullptr},
    {"O_Mismatch_Weight", false, "The mismatch weight option is invalid. Please check.", "", nullptr},
    {"O_Gap_Weight", false, "The gap weight option is invalid. Please check.", "", nullptr},
    {"O_Gap_Length_Weight", false, "The gap length weight option is invalid. Please check.", "",
     nullptr},
    {"O_Similarity_Threshold", false, "The similarity threshold option is invalid. Please check.", "",
     nullptr},
    {"O_Randomization", false, "The randomization option is invalid. Please check.", "", nullptr},
    {"O_Preserve", false, "The preserve option is invalid. Please check.", "", nullptr},
    {"O_Length_Max", false, "The length max option is invalid. Please check.", "", nullptr},
    {"O_Lmin", false, "The length minimal option (Lmin) is invalid. Please check.", "", nullptr},
    {"O_Smin", false, "The minimal percent of identity option is invalid.", "",
     "Valid range is 0.0..100.0. Please check."},
    {"O_Adjust", false, "The adjust option is invalid. Please check.", "", nullptr},
    {"O_Name", true, "You have not specified the name of the sequence ", " to align. Please check.",
     nullptr},
    {"L_Name", true, "You have specified a name for the sequence ", " and then given",
     "a file containing a list of sequences. Please check."},
    {"L_Poslist", false, "You have specified a list of sequence and not given a file", "",
     "describing the list of couples to align. Please check."},
    {"F_Start", true, "The start position in line ", " is invalid. Please check.", nullptr},
    {"F_Stop", true, "The stop position in line ", " is invalid. Please check.", nullptr},
    {"F_Direction", true, "The specifications of direction in line ", " are invalid. Please check.",
     nullptr},
    {"O_Start", true, "The start position for sequence ", " is invalid. Please check.", nullptr},
    {"O_Stop", true, "The stop position for sequence ", " is invalid. Please check.", nullptr},
    {"P_Start", true, "The start position for sequence ", " is out of range. Please check.", nullptr},
    {"P_Stop", true, "The stop position for sequence ", " is out of range. Please check.", nullptr},
    {"O_Output", true, "The output file called ", " is also an input file. Please check.", nullptr},
    {"O_Same_Output", true, "The output file called ", " is also another output file. Please check.", nullptr},
};

void report(const platform::Error& occurrence) {
  platform::Output_File& out = platform::standard_output();
  auto line = [&out](std::string_view a, std::string_view b = {}, std::string_view c = {}) {
    out.put(a);
    out.put(b);
    out.put(c);
    out.new_line();
  };
  Message_Words words(occurrence.message());
  const std::string raised = std::string("Raised ") + occurrence.name();

  line("Program interrupted!");
  if (occurrence.is(sequence_alignment::INCONSISTENT_MODEL)) {
    line("You have requested an alignment between DNA and");
    line("proteins. It is unsupported");
    out.new_line();
  } else if (occurrence.is(sequence_alignment::INCONSISTENT_RANGE)) {
    line("You have requested an incorrect range for one ");
    line("sequence. Please check.");
    out.new_line();
  } else if (occurrence.is(sequence_specifications::NOT_IMPLEMENTED)) {
    line("The required method to align sequences is currently not");
    line("available.");
    out.new_line();
  } else if (occurrence.is(sequence_alignment::utils::MATRIX_NAME_ERROR)) {
    line("The matrix file called ", words.read_first(), " has not been found. Please check.");
  } else if (occurrence.is(io_exceptions::NAME_ERROR)) {
    const std::string role(words.read_first());
    const std::string name(words.read_next());
    line("The " + role + " file called " + name, " has not been found or cannot be created.",
         " Please check.");
  } else if (occurrence.is(sequence_io::SEQUENCE_IO_ERROR)) {
    line("The file called ", words.read_first(), " can not be read correctly. Please check.");
  } else if (occurrence.is(zarn_options::INVALID_DATA)) {
    const std::string key(words.read_first());
    const Key_Sentence* chosen = nullptr;
    for (const Key_Sentence& k : invalid_data_keys) {
      if (key == k.key) {
        chosen = &k;
        break;
      }
    }
    if (!chosen) {
      line(raised);
    } else {
      if (chosen->needs_argument) {
        line(chosen->before, words.read_next(), chosen->after);
      } else {
        line(chosen->before);
      }
      if (chosen->second_line) line(chosen->second_line);
    }
  } else if (occurrence.is(sequence_specifications::INVALID_SEQUENCE_FORMAT)) {
    const std::string first(words.read_first());
    if (first == "L") {
      line("The sequence format specified in line ", words.read_next(), invalid_tail);
    } else {
      line("The sequence format specified with option ", first, invalid_tail);
    }
  } else if (occurrence.is(sequence_specifications::INVALID_SEQUENCE_MODEL)) {
    const std::string first(words.read_first());
    if (first == "L") {
      line("The sequence type specified in line ", words.read_next(), invalid_tail);
    } else {
      line("The sequence type specified with option ", first, invalid_tail);
    }
  } else if (occurrence.is(sequence_specifications::INVALID_STRAND)) {
    const std::string first(words.read_first());
    if (first == "L") {
      line("The strand specified in line ", words.read_next(), invalid_tail);
    } else if (first == "U") {
      line("Internal error in ", words.read_next(), " (Strand unexpected)");
    } else {
      line("The strand specified for sequence ", first, invalid_tail);
    }
  } else {
    line(raised);
  }
}

}  // namespace

void Report_Exception(const platform::Error& occurrence) noexcept {
  try {
    report(occurrence);
  } catch (...) {
    // Only exhaustion of memory or of standard output can end up here, and
    // there is nobody left to tell.
  }
}

}  // namespace zarn_report
