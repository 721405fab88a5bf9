#include "sequence_alignment-print.h"

#include <limits>
#include <string_view>

#include "sequence_specifications-basic.h"
#include "sequence_specifications.h"
#include "strlib.h"

namespace sequence_alignment::print {

namespace {

using alignment_results::Alignment;
using platform::Output_File;
using sequence_specifications::Sequence_Model;
using sequence_specifications::Strand;

constexpr std::string_view unit = "sequence_alignment-print";

// Where this unit raises: the number that follows its name in the message,
// "sequence_alignment-print:168". These numbers are part of the printed
// messages and never change, whatever becomes of the source.
enum class Place : int {
  no_model = 168,
  summary_strand_1 = 237, summary_strand_2 = 250, record_strand_1 = 288, record_strand_2 = 301,
};

const char* method_text(Alignment_Method method) {
  return method == Alignment_Method::GLOBAL_ALIGNMENT
             ? "Global optimisation alignment (Needleman and Wunsch)"
             : "Local optimisation alignment (Smith and Waterman)";
}

// Only letters of the model's alphabet move the position counters; the
// gap "." and the ambiguity letters outside the readers' sets never do.
bool is_residue(char c, Sequence_Model model) {
  switch (model) {
    case Sequence_Model::DNA:
    case Sequence_Model::RNA:
      return sequence_specifications::Is_Nucleotide_Char(c);
    case Sequence_Model::PROTEIN:
      return sequence_specifications::Is_Amino_Acid_Char(c);
    case Sequence_Model::NO:
      break;
  }
  platform::raise(sequence_specifications::INVALID_SEQUENCE_MODEL, platform::place(unit, int(Place::no_model)));
}

char wild_letter(Sequence_Model model) { return model == Sequence_Model::PROTEIN ? 'X' : 'N'; }

char match_mark(char c1, char c2, Sequence_Model model) {
  const char wild = wild_letter(model);
  const bool residue_1 = is_residue(c1, model);
  const bool residue_2 = is_residue(c2, model);
  if ((residue_1 && c2 == wild) || (residue_2 && c1 == wild)) return ':';
  if (residue_1 && c1 == c2) return '|';
  return ' ';
}

// One side of a block: the position of its first residue, the text, and the
// position of its last residue (one step back from the next one).
void put_side(Output_File& file, strlib::Plain_View text, std::int32_t from, std::int32_t to,
              std::int64_t& position, std::int64_t step, Sequence_Model model, int end_column) {
  platform::put_integer(file, position, 8);
  file.set_col(12);
  file.put(text.slice(from, to).view());
  for (std::int32_t i = from; i <= to; ++i) {
    if (is_residue(text(i), model)) position += step;
  }
  file.set_col(end_column);
  platform::put_integer(file, position - step, 8);
  file.new_line();
}

bool covers(strlib::Plain_View text, std::int32_t length) {
  return text.first() <= 1 && text.last() >= length;
}

void put_blocks(Output_File& file, const Alignment& item, std::int32_t width) {
  // Narrower blocks would hold no column at all.
  if (width < 10) width = 10;
  const std::int32_t marks = width / 10;
  const std::int32_t block = marks * 10;
  if (block > std::numeric_limits<int>::max() - 16) {
    platform::raise(standard::CONSTRAINT_ERROR, "block width too large");
  }
  const int end_column = block + 16;
  const std::int32_t length = item.Length;
  const strlib::Plain_View text_1 = item.Aligned_1.plain();
  const strlib::Plain_View text_2 = item.Aligned_2.plain();
  if (!covers(text_1, length) || !covers(text_2, length)) {
    platform::raise(standard::CONSTRAINT_ERROR, "aligned text shorter than the alignment");
  }
  std::int64_t p1 = item.Start_1;
  std::int64_t p2 = item.Start_2;
  const std::int64_t d1 = item.Start_1 <= item.Stop_1 ? 1 : -1;
  const std::int64_t d2 = item.Start_2 <= item.Stop_2 ? 1 : -1;
  std::string ruler;
  for (std::int32_t m = 0; m < marks; ++m) ruler += "         .";
  for (std::int64_t k = 0; k < length; k += block) {
    const auto from = std::int32_t(k + 1);
    const auto to = std::int32_t(k + block < length ? k + block : length);
    file.set_col(12);
    file.put(ruler);
    file.new_line();
    put_side(file, text_1, from, to, p1, d1, item.Model, end_column);
    file.set_col(12);
    for (std::int32_t i = from; i <= to; ++i) file.put(match_mark(text_1(i), text_2(i), item.Model));
    file.new_line();
    put_side(file, text_2, from, to, p2, d2, item.Model, end_column);
  }
}

void put_label_integer(Output_File& file, int label_column, std::string_view label,
                       int value_column, std::int64_t value, int width) {
  file.set_col(label_column);
  file.put(label);
  file.set_col(value_column);
  platform::put_integer(file, value, width);
}

void put_label_fixed(Output_File& file, int label_column, std::string_view label,
                     int value_column, float value, int fore, int aft) {
  file.set_col(label_column);
  file.put(label);
  file.set_col(value_column);
  platform::put_fixed(file, value, fore, aft);
}

// The first and second positions of one side, in increasing order on the
// direct strand; a side on both strands has no such order.
void put_positions(Output_File& file, Strand strand, std::int32_t start, std::int32_t stop,
                   Place place) {
  switch (strand) {
    case Strand::WATSON:
      platform::put_integer(file, start, 12);
      platform::put_integer(file, stop, 12);
      return;
    case Strand::CRICK:
      platform::put_integer(file, stop, 12);
      platform::put_integer(file, start, 12);
      return;
    case Strand::BOTH:
      break;
  }
  platform::raise(sequence_specifications::INVALID_STRAND, platform::place(unit, int(place)));
}

void put_strand(Output_File& file, Strand strand) {
  file.put(' ');
  file.put(sequence_specifications::basic::Strand_Letter(strand));
}

struct Statistics {
  Alignment_Method method;
  std::int32_t quality;
  float ratio, percent_similarity, percent_identity;
  std::int32_t length, matches, mismatches, gaps, gaps_length, continuous_matches;
  float mean, std, z_score, significance;
};

template <class Record>
Statistics statistics_of(const Record& item, std::int32_t matches, std::int32_t mismatches,
                         std::int32_t gaps) {
  return {item.Method,          item.Quality,      item.Ratio,
          item.Percent_Similarity, item.Percent_Identity, item.Length,
          matches,              mismatches,        gaps,
          item.Gaps_Length,     item.Continuous_Matches, item.Quality_Mean,
          item.Quality_Std,     item.Quality_Z_Score, item.Quality_Significance};
}

void put_statistics(Output_File& file, const Statistics& s) {
  file.put(s.method == Alignment_Method::GLOBAL_ALIGNMENT ? "G " : "L ");
  platform::put_integer(file, s.quality, 10);
  platform::put_fixed(file, s.ratio, 4, 4);
  platform::put_fixed(file, s.percent_similarity, 4, 3);
  platform::put_fixed(file, s.percent_identity, 4, 3);
  platform::put_integer(file, s.length, 8);
  platform::put_integer(file, s.matches, 8);
  platform::put_integer(file, s.mismatches, 8);
  platform::put_integer(file, s.gaps, 5);
  platform::put_integer(file, s.gaps_length, 8);
  platform::put_integer(file, s.continuous_matches, 8);
  platform::put_fixed(file, s.mean, 10, 3);
  platform::put_fixed(file, s.std, 10, 3);
  platform::put_fixed(file, s.z_score, 10, 3);
  platform::put_fixed(file, s.significance, 6, 3);
}

}  // namespace

void Print_Alignment(Output_File& file, const Alignment& item, std::int32_t width) {
  file.put_line("Sequence Alignment of: ");
  file.set_col(10);
  file.put(item.Name_1.view());
  file.put(" (");
  file.put(sequence_specifications::Image(item.Strand_1));
  file.put_line(")");
  file.set_col(10);
  file.put(item.Name_2.view());
  file.put(" (");
  file.put(sequence_specifications::Image(item.Strand_2));
  file.put_line(")");
  file.new_line(2);

  file.put("Method: ");
  file.put(method_text(item.Method));
  file.put(" - ");
  file.put_line(Image(item.Backward));
  file.new_line();

  file.put_line("Parameters: ");
  if (item.Matrix_Name.length() == 0) {
    put_label_integer(file, 10, "Match Weight: ", 30, item.Match_Weight, 6);
    put_label_integer(file, 45, "Mismatch Weight: ", 65, item.Mismatch_Weight, 6);
  } else {
    file.set_col(10);
    file.put("Score matrix: ");
    file.set_col(30);
    file.put(item.Matrix_Name.view());
  }
  file.new_line();
  put_label_integer(file, 10, "Gap Weight: ", 30, item.Gap_Weight, 6);
  put_label_integer(file, 45, "Gap Length Weight: ", 65, item.Gap_Length_Weight, 6);
  file.new_line(2);

  file.put_line("Results: ");
  put_label_integer(file, 10, "Quality: ", 26, item.Quality, 10);
  put_label_fixed(file, 45, "Ratio: ", 65, item.Ratio, 6, 3);
  file.new_line();
  put_label_fixed(file, 10, "Percent Similarity: ", 30, item.Percent_Similarity, 6, 3);
  put_label_fixed(file, 45, "Percent Identity: ", 65, item.Percent_Identity, 6, 3);
  file.new_line();
  put_label_integer(file, 10, "Nb Gaps: ", 30, item.Nb_Gaps, 6);
  put_label_integer(file, 45, "Gaps Length: ", 65, item.Gaps_Length, 6);
  file.new_line();
  put_label_integer(file, 10, "Number of Match: ", 30, item.Number_Of_Match, 6);
  put_label_integer(file, 45, "Number of Mismatch: ", 65, item.Number_Of_Mismatch, 6);
  file.new_line();
  put_label_integer(file, 10, "Length: ", 30, item.Length, 6);
  put_label_integer(file, 45, "Continuous Matches: ", 65, item.Continuous_Matches, 6);
  file.new_line();

  if (item.Quality_Mean != 0.0f && item.Quality_Std != 0.0f) {
    file.new_line();
    file.put_line("Signifiance: ");
    put_label_fixed(file, 10, "Quality Mean: ", 26, item.Quality_Mean, 10, 3);
    put_label_fixed(file, 45, "Quality Std: ", 61, item.Quality_Std, 10, 3);
    file.new_line();
    put_label_fixed(file, 10, "Quality Z-score: ", 30, item.Quality_Z_Score, 6, 3);
    // The label reaches column 65, so its value goes alone on the next line.
    put_label_fixed(file, 45, "Quality Signifiance: ", 65, item.Quality_Significance, 6, 3);
    file.new_line();
  }

  file.new_line(2);
  file.put_line("Alignment: ");
  if (item.Length >= 1) put_blocks(file, item, width);
}

void Print_Summary(Output_File& file, const Alignment& item) {
  strlib::Put_Padded(file, item.Name_1.plain(), 15);
  put_strand(file, item.Strand_1);
  put_positions(file, item.Strand_1, item.Start_1, item.Stop_1, Place::summary_strand_1);
  file.put(' ');
  strlib::Put_Padded(file, item.Name_2.plain(), 15);
  put_strand(file, item.Strand_2);
  put_positions(file, item.Strand_2, item.Start_2, item.Stop_2, Place::summary_strand_2);
  file.put(' ');
  put_statistics(file, statistics_of(item, item.Number_Of_Match, item.Number_Of_Mismatch,
                                     item.Nb_Gaps));
}

void Print_Summary_Record(Output_File& file, const Alignment_Summary& item) {
  file.put(std::string_view(item.Name_1.data(), item.Name_1.size()));
  put_strand(file, item.Strand_1);
  put_positions(file, item.Strand_1, item.Start_1, item.Stop_1, Place::record_strand_1);
  file.put(' ');
  file.put(std::string_view(item.Name_2.data(), item.Name_2.size()));
  put_strand(file, item.Strand_2);
  put_positions(file, item.Strand_2, item.Start_2, item.Stop_2, Place::record_strand_2);
  file.put(' ');
  if (item.Length == 0) {
    file.put("NOT ALIGNED");
    return;
  }
  put_statistics(file, statistics_of(item, item.Matches, item.Mismatches, item.Gaps));
}

}  // namespace sequence_alignment::print
