#include "zarn_read.h"

#include <array>
#include <string>
#include <string_view>

#include "options_util.h"
#include "platform/text_io.h"
#include "sequence_alignment.h"
#include "sequence_io.h"
#include "zarn_options.h"

namespace zarn_read {

using sequence_specifications::Sequence_Format;
using sequence_specifications::Is_Nucleic;
using sequence_specifications::Sequence_Model;
using sequence_specifications::Strand;
using sequence_specifications::basic::SEQUENCE_DATA;
using sequence_specifications::basic::Sequence_Data_Array;

namespace {

// Where this unit raises: the number that follows its name in the message,
// "zarn_read:173". These numbers are part of the printed messages and never
// change, whatever becomes of the source.
enum class Place : int { verbose_without_model = 59, without_model = 123, lists_not_empty = 173 };

[[noreturn]] void raise_at(const platform::Exception_Id& id, Place place) {
  platform::raise(id, platform::place("zarn_read", int(place)));
}

// The companion: the reverse complement of Seq, in its own storage, with
// the mirror image of Seq's working range.
void build_opposite(const SEQUENCE_DATA& seq, const strlib::String_Pointer& identifier,
                    SEQUENCE_DATA& opposite) {
  opposite.Model = seq.Model;
  opposite.Format = seq.Format;
  opposite.Length = seq.Length;
  opposite.Text.reset();
  opposite.Amino_Acids.reset();
  opposite.Name.reset();
  opposite.Identifier.reset();
  opposite.Nucleotides = seq.Nucleotides.clone();
  const std::int64_t upper = seq.Nucleotides.is_null() ? seq.Length : seq.Nucleotides.last();
  opposite.First = std::int32_t(upper - seq.Last + 1);
  opposite.Last = std::int32_t(upper - seq.First + 1);
  opposite.Reverse_Sequence();
  opposite.Complement_Sequence();
  opposite.Name = strlib::Copy_String(seq.Name, std::move(opposite.Name));
  opposite.Identifier = strlib::Copy_String(identifier, std::move(opposite.Identifier));
}

void read_one(strlib::Plain_View name, const strlib::String_Pointer& identifier, Sequence_Model model,
              Sequence_Format format, std::int32_t start, std::int32_t stop, Strand strand,
              SEQUENCE_DATA& seq, SEQUENCE_DATA& opposite, bool reverse, bool complement,
              bool verbose) {
  sequence_io::Read_Sequence(name, seq, model, format, false);
  if (verbose) {
    if (seq.Model == Sequence_Model::NO) {
      raise_at(sequence_specifications::INVALID_SEQUENCE_MODEL, Place::verbose_without_model);
    }
    platform::Output_File& out = platform::standard_output();
    out.put_line("Sequence " + std::string(name.view()) + " has been read in format " +
                 sequence_specifications::Image(seq.Format));
    if (Is_Nucleic(seq.Model)) {
      out.put_line("Length is" + platform::integer_image(seq.Nucleotides.length()) + " nucleotides.");
    } else if (seq.Model == Sequence_Model::PROTEIN) {
      out.put_line("Length is" + platform::integer_image(seq.Amino_Acids.length()) + " amino acids.");
    }
  }
  if (start != sequence_alignment::Unset_Position) {
    if (start < seq.First || start > seq.Last) {
      platform::raise(zarn_options::INVALID_DATA, "P_Start " + std::string(name.view()));
    }
    seq.First = start;
  }
  if (stop != sequence_alignment::Unset_Position) {
    if (stop < seq.First || stop > seq.Last) {
      platform::raise(zarn_options::INVALID_DATA, "P_Stop " + std::string(name.view()));
    }
    seq.Last = stop;
  }
  opposite.Model = Sequence_Model::NO;
  switch (seq.Model) {
    case Sequence_Model::NO:
      raise_at(sequence_specifications::INVALID_SEQUENCE_MODEL, Place::without_model);
    case Sequence_Model::PROTEIN:
      seq.Identifier = strlib::Copy_String(identifier, std::move(seq.Identifier));
      break;
    case Sequence_Model::DNA:
    case Sequence_Model::RNA:
      seq.Identifier = strlib::Copy_String(identifier, std::move(seq.Identifier));
      if (reverse) seq.Reverse_Sequence();
      if (complement) seq.Complement_Sequence();
      if (strand == Strand::CRICK || strand == Strand::BOTH) build_opposite(seq, identifier, opposite);
      break;
  }
}

constexpr std::size_t list_buffer_size = 1024;

// Empty lines, lines of blanks and comments ("#" first after the blanks).
bool is_data_line(std::string_view line) {
  const std::size_t p = line.find_first_not_of(' ');
  return p != std::string_view::npos && line[p] != '#';
}

void open_list(platform::Input_File& file, strlib::Plain_View name) {
  try {
    file.open(name.view());
  } catch (const platform::Error& e) {
    if (e.is(io_exceptions::NAME_ERROR)) {
      platform::raise(io_exceptions::NAME_ERROR, "list " + std::string(name.view()));
    }
    throw;
  }
}

// The blank-separated words of one line, in turn.
class Line_Words {
 public:
  explicit Line_Words(std::string_view line) : line_(line, 1) {}

  // False once the line has no more words.
  bool take() {
    if (next_ > line_.last()) return false;
    next_ = strlib::Next_Word(line_, word_, next_, " ");
    return word_.length() > 0;
  }
  const strlib::String_Pointer& word() const { return word_; }
  std::string_view view() const { return word_.view(); }
  // A field given by a word other than the place-holder "-".
  bool take_value() { return take() && !strlib::Equal(word_, "-"); }

 private:
  strlib::Plain_View line_;
  std::int32_t next_ = 1;
  strlib::String_Pointer word_;
};

std::string line_key(const char* key, std::int32_t line_number) {
  return key + platform::integer_image(line_number);
}

// A start or stop word that is no integer is refused with its line.
std::int32_t position_field(std::string_view word, const char* key, std::int32_t line_number) {
  return options_util::With_Key(io_exceptions::DATA_ERROR, zarn_options::INVALID_DATA, line_key(key, line_number),
                                [&] { return options_util::To_Integer(word); });
}

std::string range_bound(std::int32_t value) { return value < 0 ? "-" : std::to_string(value); }

void read_entry(std::string_view line, std::int32_t line_number, SEQUENCE_DATA& seq,
                SEQUENCE_DATA& opposite, bool verbose) {
  Line_Words words(line);
  words.take();
  const std::string file_name(words.view());
  Sequence_Model model = Sequence_Model::NO;
  if (words.take_value()) model = options_util::To_Sequence_Model(words.view());
  Sequence_Format format = Sequence_Format::UNKNOWN;
  if (words.take_value()) format = options_util::To_Sequence_Format(words.view());
  Strand strand = Strand::BOTH;
  if (words.take_value()) strand = options_util::To_Strand(words.view());
  strlib::String_Pointer identifier;
  if (words.take_value()) {
    identifier = strlib::Copy_String(words.word(), std::move(identifier));
  } else {
    identifier = strlib::To_Pointer(options_util::Base_Name(file_name));
  }
  std::int32_t start = sequence_alignment::Unset_Position;
  if (words.take_value()) start = position_field(words.view(), "F_Start ", line_number);
  std::int32_t stop = sequence_alignment::Unset_Position;
  if (words.take_value()) stop = position_field(words.view(), "F_Stop ", line_number);

  bool reverse = false;
  bool complement = false;
  while (words.take()) {
    const std::string_view w = words.view();
    if (options_util::Is_Abbreviation(w, "REVERSE", 1)) {
      reverse = true;
    } else if (options_util::Is_Abbreviation(w, "COMPLEMENTARY", 1)) {
      complement = true;
    } else if (options_util::Is_Abbreviation(w, "RC", 2)) {
      reverse = true;
      complement = true;
    } else if (w == "-") {
      reverse = false;
      complement = false;
    } else {
      platform::raise(zarn_options::INVALID_DATA, line_key("F_Direction ", line_number));
    }
  }

  if (verbose) {
    platform::Output_File& out = platform::standard_output();
    out.put_line("Sequence to read:");
    out.put_line("   Name       : " + file_name);
    out.put_line(std::string("   Type       : ") + sequence_specifications::Image(model));
    out.put_line(std::string("   Format     : ") + sequence_specifications::Image(format));
    out.put_line(std::string("   Strand     : ") + sequence_specifications::Image(strand));
    out.put_line("   Identifier : " + std::string(identifier.view()));
    out.put_line("   Range      : " + range_bound(start) + ".." + range_bound(stop));
    out.put_line(std::string("   Direction  : ") + (reverse ? "R " : "N ") + (complement ? "C " : "N"));
  }
  Read_Sequence(file_name, identifier, model, format, start, stop, strand, seq, opposite, reverse,
                complement, verbose);
}

}  // namespace

void Read_Sequence(strlib::Plain_View name, const strlib::String_Pointer& identifier,
                   Sequence_Model model, Sequence_Format format, std::int32_t start,
                   std::int32_t stop, Strand strand, SEQUENCE_DATA& seq, SEQUENCE_DATA& opposite,
                   bool reverse, bool complement, bool verbose) {
  try {
    read_one(name, identifier, model, format, start, stop, strand, seq, opposite, reverse, complement,
             verbose);
  } catch (const platform::Error& e) {
    if (e.is(io_exceptions::NAME_ERROR)) {
      platform::raise(io_exceptions::NAME_ERROR, "sequence " + std::string(name.view()));
    }
    throw;
  }
}

void Read_Sequence_List(strlib::Plain_View name, Sequence_Data_Array& sequences,
                        Sequence_Data_Array& opposites, bool verbose) {
  if (!sequences.is_null() || !opposites.is_null()) {
    raise_at(INVALID_ACCESS, Place::lists_not_empty);
  }
  std::array<char, list_buffer_size> buffer;
  platform::Input_File file;

  open_list(file, name);
  std::int32_t count = 0;
  while (!file.end_of_file()) {
    if (is_data_line(file.get_line(buffer))) ++count;
  }
  file.close();

  Sequence_Data_Array read(1, count);
  Sequence_Data_Array companions(1, count);
  open_list(file, name);
  std::int32_t line_number = 0;
  std::int32_t k = 0;
  // Should the file gain data lines between the passes, the entries counted
  // by the first pass are all that is read; should it lose some, the file is
  // refused rather than some entries left unread.
  while (k < count && !file.end_of_file()) {
    const std::string_view line = file.get_line(buffer);
    ++line_number;
    if (!is_data_line(line)) continue;
    ++k;
    try {
      read_entry(line, line_number, read(k), companions(k), verbose);
    } catch (const platform::Error& e) {
      if (e.is(sequence_specifications::INVALID_SEQUENCE_FORMAT) ||
          e.is(sequence_specifications::INVALID_SEQUENCE_MODEL) ||
          e.is(sequence_specifications::INVALID_STRAND)) {
        platform::raise(e.identity(), line_key("L ", line_number));
      }
      throw;
    }
  }
  file.close();
  if (k < count) platform::raise(sequence_io::SEQUENCE_IO_ERROR, std::string(name.view()));
  sequences = std::move(read);
  opposites = std::move(companions);
}

}  // namespace zarn_read
