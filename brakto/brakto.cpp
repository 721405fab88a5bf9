#include "brakto.h"

#include <new>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>

#include "brakto-edit.h"
#include "brakto-output.h"
#include "options_util.h"
#include "platform/command_line.h"
#include "platform/file_identity.h"
#include "platform/input_source.h"
#include "platform/text_io.h"
#include "sequence_io.h"
#include "strlib.h"

namespace brakto {

using sequence_specifications::Sequence_Format;
using sequence_specifications::Sequence_Model;
using sequence_specifications::basic::SEQUENCE_DATA;

void Raise_At(const platform::Exception_Id& id, Place place) {
  platform::raise(id, platform::place("brakto", int(place)));
}

// ------------------------------------------------------------ couple list

Couple_List::~Couple_List() { Clear(); }

Couple_List::Couple_List(Couple_List&& other) noexcept
    : first_(std::exchange(other.first_, nullptr)),
      last_(std::exchange(other.last_, nullptr)),
      count_(std::exchange(other.count_, 0)) {}

Couple_List& Couple_List::operator=(Couple_List&& other) noexcept {
  if (this != &other) {
    Clear();
    first_ = std::exchange(other.first_, nullptr);
    last_ = std::exchange(other.last_, nullptr);
    count_ = std::exchange(other.count_, 0);
  }
  return *this;
}

void Couple_List::Append(std::int32_t start, std::int32_t stop) {
  if (stop < start) Raise_At(INVALID_POSITION, Place::reversed_couple);
  Position_Couple* node = new Position_Couple{last_, nullptr, start, stop};
  if (last_) {
    last_->Next = node;
  } else {
    first_ = node;
  }
  last_ = node;
  ++count_;
}

void Couple_List::Clear() noexcept {
  while (first_) {
    Position_Couple* next = first_->Next;
    delete first_;
    first_ = next;
  }
  last_ = nullptr;
  count_ = 0;
}

void Check_Working_Range(const SEQUENCE_DATA& sequence) {
  if (sequence.Last < sequence.First) return;
  if (sequence.Text.is_null() || sequence.First < sequence.Text.first() ||
      sequence.Last > sequence.Text.last()) {
    platform::raise(standard::CONSTRAINT_ERROR, "positions " + std::to_string(sequence.First) + " to " +
                                                    std::to_string(sequence.Last) +
                                                    " lie outside the sequence text");
  }
}

// ---------------------------------------------------------- main procedure

namespace {

enum class Output_Kind { Fragment_Output, GCG_Output, Protein_Fragment_Output, Protein_GCG_Output };

struct Settings {
  std::int32_t Line_Length = 60;
  Couple_List Couples;
  std::int32_t Begin_Position = -1;
  std::int32_t End_Position = -1;
  bool Reverse_Flag = false;
  bool Complement_Flag = false;
  std::int32_t Window_Length = 0;
  std::int32_t Window_Overlap = 0;
  std::int32_t Seed = 0;
  std::int32_t Mutations = 0;
  Output_Kind Output_Format = Output_Kind::Fragment_Output;
  bool Protein_Output = false;
  Sequence_Format Input_Format = Sequence_Format::PLAIN_ASCII;
  strlib::String_Pointer Output_Name;
  strlib::String_Pointer Sequence_File;
};

[[noreturn]] void argument_error(Place place) { Raise_At(options_util::ARGUMENT_ERROR, place); }

std::int32_t integer_argument(int n) { return options_util::To_Integer(platform::argument(n)); }

// The couples after -POSITIONS at I; I is left on the first word that is
// not a start position.
void read_couples(Settings& settings, int& i) {
  for (;;) {
    bool start_pending = false;
    std::int32_t start = 0;
    std::int32_t stop = 0;
    try {
      ++i;
      start = integer_argument(i);
      start_pending = true;
      ++i;
      stop = integer_argument(i);
    } catch (const platform::Error& e) {
      if (!e.is(io_exceptions::DATA_ERROR)) throw;
      if (start_pending) Raise_At(INVALID_COUPLE, Place::lone_start);
      return;
    }
    settings.Couples.Append(start, stop);
  }
}

enum class Option {
  length, positions, begin, end, reverse, complement, interval,
  seed, mutation, ascii, gcg, protein, format, output,
};

// Tried in this order; the first that accepts the word decides.
constexpr options_util::Word_Row<Option> keywords[] = {
    {"-LENGTH", 2, Option::length},
    {"-POSITIONS", 3, Option::positions},
    {"-BEGIN", 2, Option::begin},
    {"-END", 2, Option::end},
    {"-REVERSE", 2, Option::reverse},
    {"-COMPLEMENTAIRE", 2, Option::complement},
    {"-INTERVAL", 2, Option::interval},
    {"-SEED", 2, Option::seed},
    {"-MUTATION", 2, Option::mutation},
    {"-ASCII", 2, Option::ascii},
    {"-GCG", 2, Option::gcg},
    {"-PROTEIN", 4, Option::protein},
    {"-FORMAT", 2, Option::format},
    {"-OUTPUT", 2, Option::output},
};

void read_options(Settings& settings) {
  const int count = platform::argument_count();
  int i = 1;
  while (i < count) {
    const Option* found = options_util::Find_Word(platform::argument(i), keywords);
    if (!found) argument_error(Place::unknown_word);
    // Each value read moves I on to it; the step after the switch passes the
    // last word used.
    switch (*found) {
      case Option::length: settings.Line_Length = integer_argument(++i); break;
      case Option::positions: read_couples(settings, i); continue;  // I is on the next word already
      case Option::begin: settings.Begin_Position = integer_argument(++i); break;
      case Option::end: settings.End_Position = integer_argument(++i); break;
      case Option::reverse: settings.Reverse_Flag = true; break;
      case Option::complement: settings.Complement_Flag = true; break;
      case Option::interval:
        settings.Window_Length = integer_argument(++i);
        settings.Window_Overlap = integer_argument(++i);
        if (settings.Window_Overlap >= settings.Window_Length) argument_error(Place::overlap_not_below_length);
        break;
      case Option::seed: settings.Seed = integer_argument(++i); break;
      case Option::mutation: settings.Mutations = integer_argument(++i); break;
      case Option::ascii: settings.Output_Format = Output_Kind::Fragment_Output; break;
      case Option::gcg: settings.Output_Format = Output_Kind::GCG_Output; break;
      case Option::protein: settings.Protein_Output = true; break;
      case Option::format:
        settings.Input_Format = options_util::To_Sequence_Format(platform::argument(++i));
        break;
      case Option::output:
        settings.Output_Name = strlib::Copy_Non_Empty(platform::argument(++i), std::move(settings.Output_Name));
        break;
    }
    ++i;
  }

  if (i != count) argument_error(Place::no_sequence_file);
  settings.Sequence_File = strlib::Copy_Non_Empty(platform::argument(i), std::move(settings.Sequence_File));
  if (strlib::String_Length(settings.Output_Name) == 0) {
    settings.Output_Name = strlib::Copy_Non_Empty(platform::argument(i), std::move(settings.Output_Name));
  }
  if (settings.Protein_Output) {
    if (settings.Output_Format == Output_Kind::Fragment_Output) {
      settings.Output_Format = Output_Kind::Protein_Fragment_Output;
    } else if (settings.Output_Format == Output_Kind::GCG_Output) {
      settings.Output_Format = Output_Kind::Protein_GCG_Output;
    }
  }
  if (settings.Window_Length >= 1 && !settings.Couples.Is_Empty()) argument_error(Place::windows_and_positions);
  // A fragment line must hold at least one residue; refused before anything
  // is read or written.
  if (settings.Line_Length < 1) argument_error(Place::line_length_below_1);
}

void write_pass(const Settings& settings, const SEQUENCE_DATA& sequence, SEQUENCE_DATA& protein,
                strlib::Plain_View name) {
  switch (settings.Output_Format) {
    case Output_Kind::Fragment_Output:
      output::Write_Fragment(sequence, name, settings.Line_Length);
      break;
    case Output_Kind::GCG_Output:
      output::Write_GCG(sequence, name);
      break;
    case Output_Kind::Protein_Fragment_Output:
      edit::Translate_To_Protein(sequence, protein);
      output::Write_Fragment(protein, name, settings.Line_Length);
      break;
    case Output_Kind::Protein_GCG_Output:
      edit::Translate_To_Protein(sequence, protein);
      output::Write_GCG(protein, name);
      break;
  }
}

// The window start in exactly eight digits, zero-filled.
std::string eight_digits(std::int64_t value) {
  if (value < 0 || value > 99999999) {
    platform::raise(io_exceptions::LAYOUT_ERROR, "window start " + std::to_string(value) +
                                                     " does not fit in the eight digits of a file name");
  }
  std::string text = std::to_string(value);
  text.insert(0, 8 - text.size(), '0');
  return text;
}

// Calls Visit (start, last) for each window in turn, until Visit returns
// false or the windows end. 64-bit arithmetic: a window or an overlap near
// the integer limits ends the loop instead of wrapping round.
template <class Visit>
void for_each_window(const Settings& settings, Visit visit) {
  std::int64_t l = settings.Begin_Position;
  for (;;) {
    std::int64_t last = l + settings.Window_Length - 1;
    bool last_pass = false;
    if (last > settings.End_Position) {
      last = settings.End_Position;
      last_pass = true;
    }
    if (!visit(l, last)) return;
    l = last + 1 - settings.Window_Overlap;
    if (last_pass || l < settings.Begin_Position || l > settings.End_Position) return;
  }
}

void write_windows(Settings& settings, SEQUENCE_DATA& sequence, SEQUENCE_DATA& protein) {
  platform::Output_File& out = platform::standard_output();
  const strlib::Plain_String base = options_util::Base_Name(settings.Output_Name);
  for_each_window(settings, [&](std::int64_t l, std::int64_t last) {
    sequence.First = std::int32_t(l);
    sequence.Last = std::int32_t(last);
    const std::string name = base.chars + "_" + eight_digits(l);
    out.put_line("Build " + name + " from" + platform::integer_image(sequence.First) + " to" +
                 platform::integer_image(sequence.Last));
    write_pass(settings, sequence, protein, name);
    return true;
  });
}

// Before any file is made: no output file may be the sequence file read, nor
// another output file of the run, whatever the paths that name them.
void refuse_output_over_input(const Settings& settings, const SEQUENCE_DATA& sequence) {
  std::set<platform::File_Identity> outputs;
  auto check = [&](strlib::Plain_View pass_name) {
    std::string file;
    switch (settings.Output_Format) {
      case Output_Kind::Fragment_Output:
        file = output::Fragment_File_Name(sequence.Model, pass_name);
        break;
      case Output_Kind::Protein_Fragment_Output:
        file = output::Fragment_File_Name(Sequence_Model::PROTEIN, pass_name);
        break;
      case Output_Kind::GCG_Output:
      case Output_Kind::Protein_GCG_Output:
        file = output::GCG_File_Name(pass_name);
        break;
    }
    if (platform::opened_as_input(file)) platform::raise(OUTPUT_IS_INPUT, file);
    const std::optional<platform::File_Identity> identity = platform::file_identity(file);
    if (identity && !outputs.insert(*identity).second) platform::raise(SAME_OUTPUT, file);
  };
  const strlib::Plain_String base = options_util::Base_Name(settings.Output_Name);
  if (settings.Window_Length < 1) {
    check(base);
    return;
  }
  for_each_window(settings, [&](std::int64_t l, std::int64_t) {
    // The run itself stops at a start that no file name can hold.
    if (l < 0 || l > 99999999) return false;
    check(base.chars + "_" + eight_digits(l));
    return true;
  });
}

void run(Settings& settings) {
  platform::Output_File& out = platform::standard_output();
  read_options(settings);

  SEQUENCE_DATA sequence;
  SEQUENCE_DATA protein;
  const strlib::Plain_View file_name = settings.Sequence_File.plain();
  out.put_line("Reading: " + std::string(file_name.view()));
  sequence_io::Read_Sequence(file_name, sequence, Sequence_Model::DNA, settings.Input_Format, true);
  out.put_line("La longueur de la sequence est" + platform::integer_image(sequence.Length));

  if (settings.Reverse_Flag) sequence.Reverse_Sequence();
  if (settings.Complement_Flag) sequence.Complement_Sequence();
  edit::Extract_Positions(sequence, settings.Couples);

  // Begin and end are each checked against the range, not against each other.
  if (settings.Begin_Position >= 0 && settings.Begin_Position >= sequence.First) {
    sequence.First = settings.Begin_Position;
  } else {
    settings.Begin_Position = sequence.First;
  }
  if (settings.End_Position >= 0 && settings.End_Position <= sequence.Last) {
    sequence.Last = settings.End_Position;
  } else {
    settings.End_Position = sequence.Last;
  }

  refuse_output_over_input(settings, sequence);
  if (settings.Mutations >= 1) edit::Mutate(sequence, settings.Mutations, settings.Seed);

  if (settings.Window_Length >= 1) {
    write_windows(settings, sequence, protein);
  } else {
    const strlib::Plain_String name = options_util::Base_Name(settings.Output_Name);
    write_pass(settings, sequence, protein, name);
  }
}

void put_usage(platform::Output_File& out) {
  static constexpr const char* lines[] = {
      "brakto: argument error",
      "      syntax is: brakto [-Ascii | -Gcg] ",
      "                        [-Length <length_line>]",
      "                        [-Format <input_format>]",
      "                        [-Output <name>]",
      "                        [-Mutation <nb_mutation>]",
      "                        [-Interval <length> <step>]",
      "                        [-Complementaire]",
      "                        [-Reverse]",
      "                        [-PROtein]",
      "                        [-POSition [<start><stop>]* ]",
      "                        [-Seed <seed_value>",
      "                        [-Begin <start_position>]",
      "                        [-End   <stop_position>] sequence_file",
  };
  for (const char* line : lines) out.put_line(line);
  out.new_line();
}

void report(platform::Output_File& out, const platform::Error& e) {
  if (e.is(options_util::ARGUMENT_ERROR)) {
    put_usage(out);
  } else if (e.is(INVALID_COUPLE)) {
    out.put_line("Seule la borne de debut a ete fournie pour l'intervalle");
  } else if (e.is(INVALID_POSITION)) {
    out.put_line("Dans un intervalle, la position de fin doit etre");
    out.put_line("plus grande ou egale a la position de debut.");
  } else if (e.is(OUT_OF_SEQUENCE)) {
    out.put_line("Dans un intervalle, la position donnee est hors de");
    out.put_line("de la sequence");
  } else if (e.is(OUTPUT_IS_INPUT)) {
    out.put_line("Le fichier de sortie " + e.message() + " remplacerait le fichier d'entree");
  } else if (e.is(SAME_OUTPUT)) {
    out.put_line("Le fichier de sortie " + e.message() + " remplacerait un autre fichier de sortie");
  } else {
    out.put_line(e.name());
    out.put_line(e.message());
    out.put_line(e.information());
  }
}

}  // namespace

void Brakto() noexcept {
  platform::Output_File& out = platform::standard_output();
  try {
    try {
      out.put_line("Command: " + platform::command_name());
      Settings settings;
      run(settings);
    } catch (const platform::Error& e) {
      report(out, e);
    } catch (const std::bad_alloc&) {
      report(out, platform::Error(standard::STORAGE_ERROR, "heap exhausted"));
    } catch (const std::length_error&) {
      report(out, platform::Error(standard::STORAGE_ERROR, "heap exhausted"));
    } catch (...) {
      report(out, platform::Error(PROGRAM_ERROR, ""));
    }
  } catch (...) {
    // The report itself failed (no memory left to build it): nobody is left to tell.
  }
}

}  // namespace brakto
