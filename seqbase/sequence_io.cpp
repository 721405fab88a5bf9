#include "sequence_io.h"

#include <array>
#include <cstdint>
#include <limits>
#include <span>
#include <string_view>

#include "platform/byte_io.h"
#include "platform/text_io.h"

namespace sequence_io {

namespace {

using sequence_specifications::Sequence_Format;
using sequence_specifications::Sequence_Model;
using sequence_specifications::basic::Amino_Acid_Array;
using sequence_specifications::basic::Nucleotide_Array;
using sequence_specifications::basic::SEQUENCE_DATA;

constexpr std::string_view unit = "sequence_io";
constexpr std::size_t line_buffer_size = 100000;
constexpr std::size_t strider_header_size = 112;
constexpr std::string_view word_separators = " :.,?!";

[[noreturn]] void fail(const platform::Exception_Id& id, int line) {
  platform::raise(id, platform::place(unit, line));
}

bool is_header_char(char c) { return c == '-' || c == '>' || c == ':'; }

enum class Alphabet { nucleic, protein };

Alphabet alphabet_of(Sequence_Model model) {
  return model == Sequence_Model::PROTEIN ? Alphabet::protein : Alphabet::nucleic;
}

// For every byte, what a reader stores for it, or -1 when it is no residue.
using Residue_Map = std::array<std::int16_t, 256>;

template <class Keep, class Convert>
Residue_Map make_map(Keep keep, Convert convert) {
  Residue_Map map{};
  for (int b = 0; b < 256; ++b) {
    const char c = char(b);
    map[std::size_t(b)] = keep(c) ? std::int16_t(std::uint8_t(convert(c))) : std::int16_t(-1);
  }
  return map;
}

const Residue_Map& residue_map(Alphabet alphabet, bool as_text) {
  using namespace sequence_specifications;
  static const Residue_Map nucleic_text = make_map(Is_Nucleotide_Char, To_Nucleotide_Char);
  static const Residue_Map nucleic_codes =
      make_map(Is_Nucleotide_Char, [](char c) { return std::uint8_t(To_Nucleotide(c)); });
  static const Residue_Map protein_text = make_map(Is_Amino_Acid_Char, To_Amino_Acid_Char);
  static const Residue_Map protein_codes =
      make_map(Is_Amino_Acid_Char, [](char c) { return std::uint8_t(To_Amino_Acid(c)); });
  if (alphabet == Alphabet::nucleic) return as_text ? nucleic_text : nucleic_codes;
  return as_text ? protein_text : protein_codes;
}

// Keeps the residue characters it is given, up to a capacity: counts them,
// and stores them when it has somewhere to store them.
class Collector {
 public:
  Collector(const Residue_Map& map, std::int64_t capacity, unsigned char* out = nullptr)
      : map_(map), capacity_(capacity < 0 ? 0 : capacity), out_(out) {}

  void take(std::string_view chars) {
    for (const char c : chars) {
      if (count_ >= capacity_) return;
      const std::int16_t value = map_[std::uint8_t(c)];
      if (value < 0) continue;
      if (out_) out_[count_] = static_cast<unsigned char>(value);
      ++count_;
    }
  }
  bool full() const { return count_ >= capacity_; }
  std::int64_t count() const { return count_; }

 private:
  const Residue_Map& map_;
  std::int64_t capacity_;
  unsigned char* out_;
  std::int64_t count_ = 0;
};

constexpr std::int64_t no_limit = std::numeric_limits<std::int64_t>::max();

std::int32_t checked_count(std::int64_t count) {
  if (count > std::numeric_limits<std::int32_t>::max()) {
    platform::raise(standard::CONSTRAINT_ERROR, "sequence_io: too many residues for one sequence");
  }
  return std::int32_t(count);
}

// The new residue array of a read (Text, or codes of the reader's alphabet),
// bounds 1..Count, seen as bytes while it is filled.
class Residue_Array {
 public:
  Residue_Array(Alphabet alphabet, bool as_text, std::int32_t count)
      : alphabet_(alphabet), as_text_(as_text), count_(count) {
    if (as_text_) {
      text_ = strlib::String_Pointer::make(1, count);
      bytes_ = reinterpret_cast<unsigned char*>(text_.data());
    } else if (alphabet_ == Alphabet::nucleic) {
      nucleotides_ = Nucleotide_Array::make(1, count);
      bytes_ = reinterpret_cast<unsigned char*>(nucleotides_.data());
    } else {
      amino_acids_ = Amino_Acid_Array::make(1, count);
      bytes_ = reinterpret_cast<unsigned char*>(amino_acids_.data());
    }
  }

  unsigned char* bytes() { return bytes_; }

  // Hands the array to Seq with its working range. Stored is below Count
  // only when the file changed between two passes; the array is then cut so
  // that it never holds positions the file did not fill.
  void install(SEQUENCE_DATA& seq, std::int32_t stored) {
    if (stored < count_) {
      Residue_Array cut(alphabet_, as_text_, stored);
      for (std::int32_t i = 0; i < stored; ++i) cut.bytes_[i] = bytes_[i];
      cut.install(seq, stored);
      return;
    }
    if (as_text_) {
      seq.Text = std::move(text_);
    } else if (alphabet_ == Alphabet::nucleic) {
      seq.Nucleotides = std::move(nucleotides_);
    } else {
      seq.Amino_Acids = std::move(amino_acids_);
    }
    seq.Length = stored;
    seq.First = 1;
    seq.Last = stored;
  }

 private:
  Alphabet alphabet_;
  bool as_text_;
  std::int32_t count_;
  strlib::String_Pointer text_;
  Nucleotide_Array nucleotides_;
  Amino_Acid_Array amino_acids_;
  unsigned char* bytes_ = nullptr;
};

// What every reader works with: the file, the one line buffer of the call,
// and which residues it keeps and how it stores them.
struct Reader_Context {
  std::string_view file_name;
  std::span<char> buffer;
  Alphabet alphabet;
  bool as_text;
  const Residue_Map& map() const { return residue_map(alphabet, as_text); }
};

void skip_lines(platform::Input_File& file, std::span<char> buffer, std::int64_t lines) {
  for (std::int64_t i = 0; i < lines && !file.end_of_file(); ++i) file.get_line(buffer);
}

// ------------------------------------------------------------ detection

struct Detected {
  Sequence_Model model;
  Sequence_Format format;
};

// A GCG header line of a nucleic entry: its eighth word is "Type:" and its
// ninth "N", words being separated by blanks only.
bool is_nucleic_gcg_header(std::string_view line) {
  int words = 0;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i] == ' ') ++i;
    if (i == line.size()) break;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ') ++i;
    const std::string_view word = line.substr(start, i - start);
    ++words;
    if (words == 8 && word != "Type:") return false;
    if (words == 9) return word == "N";
  }
  return false;
}

// After a plain-text header line: protein when some residue line holds a
// letter that is an amino acid and no nucleotide.
Sequence_Model scan_plain_type(platform::Input_File& file, std::span<char> buffer) {
  using sequence_specifications::Is_Amino_Acid_Char;
  using sequence_specifications::Is_Nucleotide_Char;
  while (!file.end_of_file()) {
    const std::string_view line = file.get_line(buffer);
    if (line.empty() || is_header_char(line[0])) continue;
    for (const char c : line) {
      if (!Is_Nucleotide_Char(c) && Is_Amino_Acid_Char(c)) return Sequence_Model::PROTEIN;
    }
  }
  return Sequence_Model::DNA;
}

Detected detect(std::string_view file_name, std::span<char> buffer) {
  platform::Input_File file;
  file.open(file_name);
  while (!file.end_of_file()) {
    const std::string_view line = file.get_line(buffer);
    const std::size_t n = line.size();
    if (n >= 1 && is_header_char(line[0])) {
      return {scan_plain_type(file, buffer), Sequence_Format::PLAIN_ASCII};
    }
    if (n >= 4 && line.starts_with("!!NA")) return {Sequence_Model::DNA, Sequence_Format::GCG};
    if (n >= 4 && line.starts_with("!!AA")) return {Sequence_Model::PROTEIN, Sequence_Format::GCG};
    if (n >= 5 && line.starts_with("LOCUS")) {
      return {Sequence_Model::DNA, Sequence_Format::GENBANK};
    }
    if (n >= 11 && line.ends_with("..") && is_nucleic_gcg_header(line)) {
      return {Sequence_Model::DNA, Sequence_Format::GCG};
    }
  }
  file.close();
  fail(sequence_specifications::INVALID_SEQUENCE_FORMAT, 734);
}

// ----------------------------------------------------------- plain text

bool is_plain_residue_line(std::string_view line) {
  return !line.empty() && !is_header_char(line[0]);
}

void plain_pass(const Reader_Context& context, Collector& collector) {
  platform::Input_File file;
  file.open(context.file_name);
  while (!file.end_of_file() && !collector.full()) {
    const std::string_view line = file.get_line(context.buffer);
    if (is_plain_residue_line(line)) collector.take(line);
  }
}

// Counts first, so that the array is made once at its exact size.
void read_plain(const Reader_Context& context, strlib::Plain_View file_name, SEQUENCE_DATA& seq) {
  Collector counter(context.map(), no_limit);
  plain_pass(context, counter);
  const std::int32_t count = checked_count(counter.count());
  Residue_Array array(context.alphabet, context.as_text, count);
  Collector storer(context.map(), count, array.bytes());
  if (count > 0) plain_pass(context, storer);
  array.install(seq, std::int32_t(storer.count()));
  seq.Name = strlib::Copy_Non_Empty(file_name, std::move(seq.Name));
}

// ------------------------------------------------------ GCG and GenBank

// Where the residue lines of a GCG or GenBank file begin, and what the
// file announced.
struct Text_Header {
  std::int64_t lines = 0;  // lines up to and including the last one of the header
  std::int32_t announced = 0;
};

bool is_residue_line(std::string_view line) { return line.size() > 10; }
std::string_view residue_columns(std::string_view line) { return line.substr(10); }

// Stops after the header line (or at the end of the file).
Text_Header find_gcg_header(platform::Input_File& file, std::span<char> buffer,
                            SEQUENCE_DATA& seq) {
  Text_Header header;
  strlib::String_Pointer word;
  while (!file.end_of_file()) {
    const std::string_view chars = file.get_line(buffer);
    ++header.lines;
    if (chars.size() <= 10 || !chars.ends_with("..")) continue;
    const strlib::Plain_View line(chars);
    const std::int32_t after_name = strlib::Next_Word(line, seq.Name, 1, " ");
    if (after_name > line.last()) continue;
    const std::int32_t separator = strlib::Next_Word(line, word, after_name, word_separators);
    if (!strlib::Equal(word, "Length")) continue;
    header.announced =
        platform::get_integer(line.slice(separator + 1, line.last()).view(), separator + 1).value;
    return header;
  }
  return header;
}

// Stops after the ORIGIN line (or at the end of the file).
Text_Header find_genbank_header(platform::Input_File& file, std::span<char> buffer,
                                SEQUENCE_DATA& seq) {
  Text_Header header;
  while (!file.end_of_file()) {
    const std::string_view chars = file.get_line(buffer);
    ++header.lines;
    if (chars.size() <= 11 || !chars.starts_with("LOCUS")) continue;
    const strlib::Plain_View line(chars);
    const std::int32_t after_name = strlib::Next_Word(line, seq.Name, 11, " ");
    const platform::Integer_Read length =
        platform::get_integer(line.slice(after_name, line.last()).view(), after_name);
    if (length.last >= line.last()) fail(sequence_specifications::INVALID_SEQUENCE_FORMAT, 228);
    strlib::String_Pointer unit_word;
    strlib::Next_Word(line, unit_word, length.last + 1, word_separators);
    if (!strlib::Equal(unit_word, "bp")) {
      fail(sequence_specifications::INVALID_SEQUENCE_FORMAT, 228);
    }
    header.announced = length.value;
    break;
  }
  while (!file.end_of_file()) {
    const std::string_view chars = file.get_line(buffer);
    ++header.lines;
    if (chars.size() > 5 && chars.starts_with("ORIGIN")) break;
  }
  return header;
}

void collect_residue_lines(platform::Input_File& file, std::span<char> buffer,
                           Collector& collector) {
  while (!file.end_of_file() && !collector.full()) {
    const std::string_view line = file.get_line(buffer);
    if (is_residue_line(line)) collector.take(residue_columns(line));
  }
}

// The first pass finds the header and counts the residues that follow it,
// at most as many as announced; the array is then made at the size of what
// the file really holds, and a second pass fills it. Residues beyond the
// announced length are ignored; a file that holds fewer gives a shorter
// sequence, never unfilled positions.
template <class Find_Header>
void read_numbered(const Reader_Context& context, SEQUENCE_DATA& seq, Find_Header find_header) {
  Text_Header header;
  std::int64_t present = 0;
  {
    platform::Input_File file;
    file.open(context.file_name);
    header = find_header(file, context.buffer, seq);
    Collector counter(context.map(), header.announced);
    collect_residue_lines(file, context.buffer, counter);
    present = counter.count();
  }
  const std::int32_t count = std::int32_t(present);
  Residue_Array array(context.alphabet, context.as_text, count);
  Collector storer(context.map(), count, array.bytes());
  if (count > 0) {
    platform::Input_File file;
    file.open(context.file_name);
    skip_lines(file, context.buffer, header.lines);
    collect_residue_lines(file, context.buffer, storer);
  }
  array.install(seq, std::int32_t(storer.count()));
}

// ----------------------------------------------------------- DNA Strider

void report_abnormal_byte(std::uint8_t code) {
  platform::Output_File& out = platform::standard_output();
  out.put("Lecture d'un caractere anormal. code: ");
  platform::put_integer(out, code, 4);
  if (code > 32) {
    out.put(" Valeur: ");
    out.put(char(code));
  }
  out.new_line();
}

// The residue bytes are gathered in the line buffer (a 16-bit count always
// fits) so that the array is made at the size of what is kept. A negative
// count gives an empty sequence.
void read_strider(const Reader_Context& context, strlib::Plain_View file_name,
                  SEQUENCE_DATA& seq) {
  static_assert(line_buffer_size >= 32767, "a Strider sequence fits in the line buffer");
  platform::Byte_File file;
  file.open(context.file_name);
  std::array<std::uint8_t, strider_header_size> header;
  for (std::uint8_t& b : header) b = file.read();
  const std::int16_t announced = std::int16_t(std::uint16_t(header[30] | (header[31] << 8)));
  const Residue_Map& map = context.map();
  std::size_t kept = 0;
  for (std::int32_t i = 0; i < announced; ++i) {
    const std::uint8_t b = file.read();
    if (map[b] >= 0) {
      context.buffer[kept++] = char(b);
    } else {
      report_abnormal_byte(b);
    }
  }
  file.close();
  const std::int32_t count = std::int32_t(kept);
  Residue_Array array(context.alphabet, context.as_text, count);
  Collector storer(map, count, array.bytes());
  storer.take(std::string_view(context.buffer.data(), kept));
  array.install(seq, count);
  seq.Name = strlib::Copy_Non_Empty(file_name, std::move(seq.Name));
}

}  // namespace

void Read_Sequence(strlib::Plain_View file_name, SEQUENCE_DATA& seq, Sequence_Model model,
                   Sequence_Format format, bool as_text) {
  char line_buffer[line_buffer_size];
  const std::span<char> buffer(line_buffer);

  Sequence_Model type = model;
  Sequence_Format form = format;
  if (model == Sequence_Model::NO || format == Sequence_Format::UNKNOWN) {
    const Detected detected = detect(file_name.view(), buffer);
    if (model == Sequence_Model::NO) type = detected.model;
    if (format != Sequence_Format::UNKNOWN && format != detected.format) {
      fail(sequence_specifications::INVALID_SEQUENCE_FORMAT, 743);
    }
    form = detected.format;
  }

  seq.Name = strlib::Free_String(std::move(seq.Name));
  seq.Text = strlib::Free_String(std::move(seq.Text));
  seq.Model = type;
  seq.Format = form;

  const Reader_Context context{file_name.view(), buffer, alphabet_of(type), as_text};
  switch (form) {
    case Sequence_Format::PLAIN_ASCII:
      read_plain(context, file_name, seq);
      return;
    case Sequence_Format::DNA_STRIDER:
      read_strider(context, file_name, seq);
      return;
    case Sequence_Format::GCG:
      read_numbered(context, seq, find_gcg_header);
      return;
    case Sequence_Format::GENBANK:
      if (context.alphabet == Alphabet::protein) {
        fail(sequence_specifications::NOT_IMPLEMENTED, 767);
      }
      read_numbered(context, seq, find_genbank_header);
      return;
    case Sequence_Format::UNKNOWN:
      break;
  }
  // Only a value outside the enumeration can come here.
  fail(sequence_specifications::INVALID_SEQUENCE_FORMAT, 743);
}

}  // namespace sequence_io
