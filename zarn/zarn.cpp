#include "zarn.h"

#include <algorithm>
#include <array>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "alignment_results.h"
#include "options_util.h"
#include "platform/file_identity.h"
#include "platform/input_source.h"
#include "sequence_alignment-global.h"
#include "sequence_alignment-local.h"
#include "sequence_alignment-print.h"
#include "sequence_alignment.h"
#include "strlib.h"
#include "zarn_options.h"
#include "zarn_read.h"
#include "zarn_report.h"

namespace zarn {

using alignment_results::Alignment;
using alignment_results::Alignment_Array_Access;
using sequence_alignment::Alignment_Method;
using sequence_alignment::Unset_Position;
using sequence_specifications::INVALID_STRAND;
using sequence_specifications::Is_Nucleic;
using sequence_specifications::Sequence_Model;
using sequence_specifications::Strand;
using sequence_specifications::basic::SEQUENCE_DATA;
using sequence_specifications::basic::Sequence_Data_Array;

namespace {

constexpr std::size_t positions_buffer_size = 1024;
constexpr const char* word_separators = " :.,?!";

// Where this unit raises: the number that follows its name in the message,
// "zarn:127". These numbers are part of the printed messages and never
// change, whatever becomes of the source.
enum class Place : int {
  not_aligned_strand_1 = 80, not_aligned_strand_2 = 93,
  strand_1 = 127, strand_2 = 139,
  nucleic_with_other = 191, protein_with_other = 195, first_without_model = 198,
  first_half_model = 328, first_half_order = 345, second_half_model = 397, second_half_order = 414,
  method = 600,
};

[[noreturn]] void raise_here(const platform::Exception_Id& id, Place place) {
  platform::raise(id, platform::place("zarn", int(place)));
}


// WATSON requests run from low to high direct positions, CRICK ones from
// high to low.
void order_by_strand(std::int32_t& begin, std::int32_t& end, Strand strand, Place guard) {
  if (strand == Strand::WATSON) {
    if (begin > end) std::swap(begin, end);
  } else if (strand == Strand::CRICK) {
    if (begin < end) std::swap(begin, end);
  } else {
    raise_here(INVALID_STRAND, guard);
  }
}

struct Run_State {
  zarn_options::Options_Record options = zarn_options::Init_Options();
  Sequence_Data_Array sequences;
  Sequence_Data_Array opposites;
  platform::Output_File results_file;
  platform::Output_File summary_file;
  platform::Input_File positions_file;
};

void read_single(Run_State& state) {
  zarn_options::Options_Record& o = state.options;
  if (o.Strand_1 != Strand::WATSON && o.Strand_1 != Strand::CRICK) raise_here(INVALID_STRAND, Place::strand_1);
  if (o.Begin_1 != Unset_Position && o.End_1 != Unset_Position) {
    order_by_strand(o.Begin_1, o.End_1, o.Strand_1, Place::strand_1);
  }
  if (o.Strand_2 != Strand::WATSON && o.Strand_2 != Strand::CRICK) raise_here(INVALID_STRAND, Place::strand_2);
  if (o.Begin_2 != Unset_Position && o.End_2 != Unset_Position) {
    order_by_strand(o.Begin_2, o.End_2, o.Strand_2, Place::strand_2);
  }
  state.sequences = Sequence_Data_Array(1, 2);
  state.opposites = Sequence_Data_Array(1, 2);
  // The reader always gets the lower direct position as its start.
  const bool watson_1 = o.Strand_1 == Strand::WATSON;
  zarn_read::Read_Sequence(o.Name_1.plain(), o.Identifier_1, o.Model_1, o.Format_1,
                           watson_1 ? o.Begin_1 : o.End_1, watson_1 ? o.End_1 : o.Begin_1,
                           o.Strand_1, state.sequences(1), state.opposites(1), o.Reverse_1,
                           o.Complement_1, o.Verbose);
  const bool watson_2 = o.Strand_2 == Strand::WATSON;
  zarn_read::Read_Sequence(o.Name_2.plain(), o.Identifier_2, o.Model_2, o.Format_2,
                           watson_2 ? o.Begin_2 : o.End_2, watson_2 ? o.End_2 : o.Begin_2,
                           o.Strand_2, state.sequences(2), state.opposites(2), o.Reverse_2,
                           o.Complement_2, o.Verbose);
}

// All nucleic (DNA and RNA mix freely) or all protein.
void check_models(const Sequence_Data_Array& sequences) {
  if (sequences.length() <= 1) return;
  const Sequence_Model m = sequences(sequences.first()).Model;
  if (m == Sequence_Model::NO) raise_here(sequence_alignment::INCONSISTENT_MODEL, Place::first_without_model);
  for (std::int32_t k = sequences.first() + 1; k <= sequences.last(); ++k) {
    const Sequence_Model other = sequences(k).Model;
    if (Is_Nucleic(m) && !Is_Nucleic(other)) {
      raise_here(sequence_alignment::INCONSISTENT_MODEL, Place::nucleic_with_other);
    }
    if (m == Sequence_Model::PROTEIN && other != Sequence_Model::PROTEIN) {
      raise_here(sequence_alignment::INCONSISTENT_MODEL, Place::protein_with_other);
    }
  }
}

// An output file that is one of the run's inputs, whatever the paths, is
// refused before it is created: every file read so far (sequence files, list
// file, positions file) and the score-matrix file, read at each couple.
void refuse_if_input(const std::string& output, const zarn_options::Options_Record& o) {
  if (platform::opened_as_input(output) ||
      (strlib::String_Length(o.Matrix_Name) != 0 && platform::same_file(output, o.Matrix_Name.view()))) {
    platform::raise(zarn_options::INVALID_DATA, "O_Output " + output);
  }
}

// One output file of the run, with the words that go with it.
struct Output {
  platform::Output_File& file;
  std::string name;  // here, or in "/tmp/" once it falls back there
  const char* warning;
  const char* role;
  bool in_tmp = false;
};

// Two outputs that are one file, whatever the paths, would write into each
// other: the later one is refused.
void refuse_if_one_file(const std::vector<Output>& outputs) {
  for (std::size_t later = 1; later < outputs.size(); ++later) {
    for (std::size_t earlier = 0; earlier < later; ++earlier) {
      if (platform::same_file(outputs[earlier].name, outputs[later].name)) {
        platform::raise(zarn_options::INVALID_DATA, "O_Same_Output " + outputs[later].name);
      }
    }
  }
}

// The same checks on the files as opened: a name that led nowhere before it
// was opened (a link to a file not made yet) is known only now.
void refuse_opened(const std::vector<Output>& outputs, const zarn_options::Options_Record& o) {
  for (std::size_t later = 0; later < outputs.size(); ++later) {
    const platform::File_Identity& identity = outputs[later].file.identity();
    if (platform::opened_as_input(identity) ||
        (strlib::String_Length(o.Matrix_Name) != 0 && platform::file_identity(o.Matrix_Name.view()) == identity)) {
      platform::raise(zarn_options::INVALID_DATA, "O_Output " + outputs[later].name);
    }
    for (std::size_t earlier = 0; earlier < later; ++earlier) {
      if (outputs[earlier].file.identity() == identity) {
        platform::raise(zarn_options::INVALID_DATA, "O_Same_Output " + outputs[later].name);
      }
    }
  }
}

// Opens every output here, or else once in "/tmp/" with a warning line;
// there, where anyone may plant a name, only a file of the user's own is
// replaced. Every file is looked at before any loses what it held: a
// refusal leaves them all as they were.
void open_outputs(std::vector<Output>& outputs, const zarn_options::Options_Record& o) {
  using Rules = platform::Output_File::Rules;
  for (const Output& out : outputs) refuse_if_input(out.name, o);
  refuse_if_one_file(outputs);
  try {
    for (Output& out : outputs) {
      bool read = true;
      try {
        read = out.file.open_unemptied(out.name, Rules::by_folder);
      } catch (const platform::Error& e) {
        if (!e.is(io_exceptions::NAME_ERROR)) throw;
        out.name = "/tmp/" + out.name;
        out.in_tmp = true;
      }
      // A FIFO that nothing reads: the user meant the output for a reader,
      // not for another folder.
      if (!read) platform::raise(io_exceptions::NAME_ERROR, out.role + out.name);
    }
    for (const Output& out : outputs) {
      if (out.in_tmp) refuse_if_input(out.name, o);
    }
    refuse_if_one_file(outputs);
    for (Output& out : outputs) {
      if (!out.in_tmp) continue;
      try {
        out.file.open_unemptied(out.name, Rules::shared_folder);
      } catch (const platform::Error& e) {
        if (!e.is(io_exceptions::NAME_ERROR)) throw;
        platform::raise(io_exceptions::NAME_ERROR, out.role + out.name);
      }
    }
    refuse_opened(outputs, o);
  } catch (...) {
    for (Output& out : outputs) out.file.abandon();
    throw;
  }
  for (Output& out : outputs) {
    try {
      out.file.empty();
    } catch (const platform::Error& e) {
      if (!e.is(io_exceptions::NAME_ERROR)) throw;
      platform::raise(io_exceptions::NAME_ERROR, out.role + out.name);
    }
    if (out.in_tmp) platform::standard_output().put_line(out.warning + out.name);
  }
}

void open_files(Run_State& state) {
  const zarn_options::Options_Record& o = state.options;
  std::string base;
  if (o.Positions_Given) {
    try {
      state.positions_file.open(o.Positions_File.view());
    } catch (const platform::Error& e) {
      if (!e.is(io_exceptions::NAME_ERROR)) throw;
      platform::raise(io_exceptions::NAME_ERROR, "Position " + std::string(o.Positions_File.view()));
    }
    base = options_util::Base_Name(o.Positions_File).chars;
  } else {
    base = options_util::Base_Name(o.Name_1).chars + "_" + options_util::Base_Name(o.Name_2).chars;
  }
  std::vector<Output> outputs;
  if (o.Write_Results) {
    outputs.push_back({state.results_file, base + ".aln", "Warning, alignments will be written in ", "Alignment "});
  }
  if (o.Write_Summary) {
    outputs.push_back({state.summary_file, base + ".sim", "Warning, summary will be written in ", "Summary "});
  }
  open_outputs(outputs, o);
}

// Low..High in the member's own numbering, widened by Adjust and clipped to
// the member's range. Wide arithmetic: positions and Adjust are the user's.
void window(std::int32_t begin, std::int32_t end, Strand strand, std::int32_t adjust,
            const SEQUENCE_DATA& member, std::int64_t& low, std::int64_t& high) {
  const std::int64_t f = member.First;
  const std::int64_t l = member.Last;
  const std::int64_t n = member.Length;
  const bool crick = strand == Strand::CRICK;
  low = (begin == Unset_Position ? f : crick ? n - begin + 1 : begin) - std::int64_t(adjust);
  high = (end == Unset_Position ? l : crick ? n - end + 1 : end) + std::int64_t(adjust);
  low = std::max(low, f);
  high = std::min(high, l);
}

void to_direct(Strand strand, std::int32_t length, std::int32_t& start, std::int32_t& stop,
               const char* guard) {
  if (strand == Strand::CRICK) {
    start = std::int32_t(std::int64_t(length) - start + 1);
    stop = std::int32_t(std::int64_t(length) - stop + 1);
  } else if (strand != Strand::WATSON) {
    platform::raise(INVALID_STRAND, guard);
  }
}

void process_couple(Run_State& state, const SEQUENCE_DATA& member_1, const SEQUENCE_DATA& member_2) {
  const zarn_options::Options_Record& o = state.options;
  std::int64_t low_1, high_1, low_2, high_2;
  window(o.Begin_1, o.End_1, o.Strand_1, o.Adjust, member_1, low_1, high_1);
  window(o.Begin_2, o.End_2, o.Strand_2, o.Adjust, member_2, low_2, high_2);
  if (low_1 > high_1 || low_2 > high_2) return;

  // Whatever -LENGTHMAX allows, the kernel aligns no window longer than its
  // own limit: such a couple is passed over like one over the maximum, after
  // a warning, and the run goes on.
  const std::int64_t longest = std::max(high_1 - low_1 + 1, high_2 - low_2 + 1);
  if (longest > std::min<std::int64_t>(o.Length_Max, sequence_alignment::Longest_Window)) {
    if (longest <= o.Length_Max) {
      platform::standard_output().put_line(
          "Warning, " + std::string(member_1.Identifier.view()) + " and " +
          std::string(member_2.Identifier.view()) + " are not aligned: a window of " +
          std::to_string(longest) + " residues is longer than the " +
          std::to_string(sequence_alignment::Longest_Window) + " that can be aligned");
    }
    if (o.Screen_Summary) {
      Put_Not_Aligned(platform::standard_output(), member_1, member_2, o.Begin_1, o.End_1, o.Begin_2,
                      o.End_2, o.Strand_1, o.Strand_2);
    }
    if (o.Write_Summary) {
      Put_Not_Aligned(state.summary_file, member_1, member_2, o.Begin_1, o.End_1, o.Begin_2, o.End_2,
                      o.Strand_1, o.Strand_2);
    }
    return;
  }

  Alignment_Array_Access results;
  switch (o.Method) {
    case Alignment_Method::GLOBAL_ALIGNMENT:
      results = sequence_alignment::global::Align_Global(
          member_1, member_2, std::int32_t(low_1), std::int32_t(high_1), std::int32_t(low_2),
          std::int32_t(high_2), o.Matrix_Name.plain(), o.Match_Weight, o.Mismatch_Weight,
          o.Gap_Weight, o.Gap_Length_Weight, o.Backward, o.Building, o.Optimize, o.End_Weight,
          o.Similarity_Threshold, o.Randomization, o.Preserve);
      break;
    case Alignment_Method::LOCAL_ALIGNMENT:
      results = sequence_alignment::local::Align_Local(
          member_1, member_2, std::int32_t(low_1), std::int32_t(high_1), std::int32_t(low_2),
          std::int32_t(high_2), o.Matrix_Name.plain(), o.Match_Weight, o.Mismatch_Weight,
          o.Gap_Weight, o.Gap_Length_Weight, o.Backward, o.Building, o.Optimize,
          o.Similarity_Threshold, o.Randomization, o.Preserve);
      break;
    default:
      raise_here(sequence_specifications::NOT_IMPLEMENTED, Place::method);
  }
  if (!results) return;

  for (std::int32_t i = results->first(); i <= results->last(); ++i) {
    Alignment& r = *(*results)(i);
    r.Strand_1 = o.Strand_1;
    to_direct(o.Strand_1, member_1.Length, r.Start_1, r.Stop_1, "U ZARN-A1");
    r.Strand_2 = o.Strand_2;
    to_direct(o.Strand_2, member_2.Length, r.Start_2, r.Stop_2, "U ZARN-A2");
  }
  if (o.Write_Results) {
    for (std::int32_t i = results->first(); i <= results->last(); ++i) {
      if (i > results->first()) {
        state.results_file.new_line(2);
        state.results_file.put_line("---------------");
        state.results_file.new_line(2);
      }
      sequence_alignment::print::Print_Alignment(state.results_file, *(*results)(i), 50);
    }
  }
  for (std::int32_t i = results->first(); i <= results->last(); ++i) {
    const Alignment& r = *(*results)(i);
    if (o.Screen_Summary) {
      sequence_alignment::print::Print_Summary(platform::standard_output(), r);
      platform::standard_output().new_line();
    }
    // A percentage that is not a number compares below every minimum.
    if (o.Write_Summary && r.Length >= o.Lmin && r.Percent_Identity >= o.Smin) {
      sequence_alignment::print::Print_Summary(state.summary_file, r);
      state.summary_file.new_line();
    }
  }
  results = alignment_results::Free_Alignments(std::move(results));
}

bool touches(const SEQUENCE_DATA& seq, std::int32_t b, std::int32_t e) {
  const std::int32_t f = seq.First;
  const std::int32_t l = seq.Last;
  return (f <= b && b <= l) || (f <= e && e <= l) || (b <= f && f <= e) || (b <= l && l <= e);
}

struct Line_Half {
  Strand strand = Strand::WATSON;
  std::int32_t begin = 0;
  std::int32_t end = 0;
  const SEQUENCE_DATA* member = nullptr;  // null: absent
};

// Where the reading of one half of a positions line raises.
struct Half_Places {
  Place model;               // the sequences have no model
  Place order;               // ordering begin and end by a strand that is neither
  const char* member_guard;  // choosing the member by such a strand
};

// One half of a positions line from From: identifier, strand word, begin
// and end. Returns the index after the end's last character.
std::int32_t parse_half(const Run_State& state, strlib::Plain_View line, std::int32_t from,
                        const Half_Places& places, Line_Half& half) {
  strlib::String_Pointer identifier;
  strlib::String_Pointer strand_word;
  std::int32_t next = strlib::Next_Word(line, identifier, from, word_separators);
  next = strlib::Next_Word(line, strand_word, next, word_separators);

  switch (state.sequences(state.sequences.first()).Model) {
    case Sequence_Model::NO:
      raise_here(sequence_alignment::INCONSISTENT_MODEL, places.model);
    case Sequence_Model::DNA:
    case Sequence_Model::RNA:
      half.strand = !strand_word.view().empty() && strand_word.view()[0] == 'C' ? Strand::CRICK
                                                                                 : Strand::WATSON;
      break;
    case Sequence_Model::PROTEIN:
      half.strand = Strand::WATSON;
      break;
  }

  const std::string_view text = line.view();
  const platform::Integer_Read begin =
      platform::get_integer(text.substr(std::size_t(next - line.first())), next);
  const std::int32_t after_begin = begin.last + 1;
  const platform::Integer_Read end =
      platform::get_integer(text.substr(std::size_t(after_begin - line.first())), after_begin);
  half.begin = begin.value;
  half.end = end.value;
  order_by_strand(half.begin, half.end, half.strand, places.order);

  half.member = nullptr;
  for (std::int32_t k = state.sequences.first(); k <= state.sequences.last(); ++k) {
    const SEQUENCE_DATA& seq = state.sequences(k);
    if (!strlib::Equal(seq.Identifier, identifier.plain()) || !touches(seq, half.begin, half.end)) {
      continue;
    }
    const SEQUENCE_DATA* chosen = nullptr;
    if (half.strand == Strand::WATSON) {
      chosen = &seq;
    } else if (half.strand == Strand::CRICK) {
      chosen = &state.opposites(k);
    } else {
      platform::raise(INVALID_STRAND, places.member_guard);
    }
    if (chosen->Model != Sequence_Model::NO) half.member = chosen;
    break;
  }
  return end.last + 1;
}

void positions_couples(Run_State& state) {
  zarn_options::Options_Record& o = state.options;
  std::array<char, positions_buffer_size> buffer;
  while (!state.positions_file.end_of_file()) {
    const strlib::Plain_View line(state.positions_file.get_line(buffer), 1);
    // Without any sequence no member can be found: every line is passed over.
    if (state.sequences.length() == 0) continue;
    Line_Half first;
    Line_Half second;
    const std::int32_t next = parse_half(
        state, line, 1,
        {.model = Place::first_half_model, .order = Place::first_half_order, .member_guard = "U ZARN-1W"}, first);
    parse_half(state, line, next,
               {.model = Place::second_half_model, .order = Place::second_half_order, .member_guard = "U ZARN-2W"},
               second);
    o.Strand_1 = first.strand;
    o.Begin_1 = first.begin;
    o.End_1 = first.end;
    o.Strand_2 = second.strand;
    o.Begin_2 = second.begin;
    o.End_2 = second.end;
    if (first.member && second.member) process_couple(state, *first.member, *second.member);
  }
  state.positions_file.close();
}

const SEQUENCE_DATA& single_member(Run_State& state, Strand strand, std::int32_t k, const char* guard,
                                   const char* strand_key) {
  if (strand == Strand::WATSON) return state.sequences(k);
  if (strand != Strand::CRICK) platform::raise(INVALID_STRAND, guard);
  // A protein has no opposite strand to align.
  if (state.opposites(k).Model == Sequence_Model::NO) platform::raise(INVALID_STRAND, strand_key);
  return state.opposites(k);
}

void run(Run_State& state) {
  zarn_options::Options_Record& o = state.options;
  zarn_options::Get_Options(o);
  if (strlib::String_Length(o.List_File) != 0) {
    zarn_read::Read_Sequence_List(o.List_File.plain(), state.sequences, state.opposites, o.Verbose);
  } else {
    read_single(state);
  }
  check_models(state.sequences);
  open_files(state);
  if (o.Positions_Given) {
    positions_couples(state);
  } else {
    const SEQUENCE_DATA& member_1 = single_member(state, o.Strand_1, 1, "U ZARN-L1", "1");
    const SEQUENCE_DATA& member_2 = single_member(state, o.Strand_2, 2, "U ZARN-L2", "2");
    process_couple(state, member_1, member_2);
  }
  if (o.Write_Results) state.results_file.close();
  if (o.Write_Summary) state.summary_file.close();
}

}  // namespace

void Put_Not_Aligned(platform::Output_File& file, const SEQUENCE_DATA& seq_1, const SEQUENCE_DATA& seq_2,
                     std::int32_t begin_1, std::int32_t end_1, std::int32_t begin_2, std::int32_t end_2,
                     Strand strand_1, Strand strand_2) {
  auto side = [&file](const SEQUENCE_DATA& seq, std::int32_t begin, std::int32_t end, Strand strand,
                      Place guard) {
    strlib::Put_Padded(file, seq.Identifier.plain(), 15);
    file.put(' ');
    file.put(sequence_specifications::basic::Strand_Letter(strand));
    if (strand == Strand::WATSON) {
      platform::put_integer(file, begin, 12);
      platform::put_integer(file, end, 12);
    } else if (strand == Strand::CRICK) {
      platform::put_integer(file, end, 12);
      platform::put_integer(file, begin, 12);
    } else {
      raise_here(INVALID_STRAND, guard);
    }
  };
  side(seq_1, begin_1, end_1, strand_1, Place::not_aligned_strand_1);
  file.put(' ');
  side(seq_2, begin_2, end_2, strand_2, Place::not_aligned_strand_2);
  file.put(" NOT ALIGNED");
  file.new_line();
}

void zarn() noexcept {
  Run_State state;
  try {
    try {
      run(state);
    } catch (const platform::Error& e) {
      if (e.is(options_util::ARGUMENT_ERROR)) {
        zarn_options::Print_Usage();
      } else {
        zarn_report::Report_Exception(e);
      }
    } catch (const std::bad_alloc&) {
      zarn_report::Report_Exception(platform::Error(standard::STORAGE_ERROR, ""));
    } catch (const std::length_error&) {
      zarn_report::Report_Exception(platform::Error(standard::STORAGE_ERROR, ""));
    } catch (...) {
      zarn_report::Report_Exception(platform::Error(PROGRAM_ERROR, ""));
    }
  } catch (...) {
    // Standard output itself failed while the usage text was written.
  }
}

}  // namespace zarn
