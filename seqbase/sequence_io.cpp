#include "sequence_io.h"

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <span>
#include <string>
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

// Where this unit raises: the number that follows its name in the message,
// "sequence_io:734". These numbers are part of the printed messages and never
// change, whatever becomes of the source.
enum class Place : int { locus_without_bp = 228, format_undetected = 734, format_differs = 743, protein_genbank = 767 };

[[noreturn]] void fail(const platform::Exception_Id& id, Place place) {
  platform::raise(id, platform::place(unit, int(place)));
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
// bounds 1..Count, seen as bytes while it is filled. Its positions are not
// cleared first: install() keeps only those the read filled.
class Residue_Array {
 public:
  Residue_Array(Alphabet alphabet, bool as_text, std::int32_t count)
      : alphabet_(alphabet), as_text_(as_text), count_(count) {
    if (as_text_) {
      text_ = strlib::String_Pointer::make_for_overwrite(1, count);
      bytes_ = reinterpret_cast<unsigned char*>(text_.data());
    } else if (alphabet_ == Alphabet::nucleic) {
      nucleotides_ = Nucleotide_Array::make_for_overwrite(1, count);
      bytes_ = reinterpret_cast<unsigned char*>(nucleotides_.data());
    } else {
      amino_acids_ = Amino_Acid_Array::make_for_overwrite(1, count);
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

// The lines of a file read through the call's line buffer. A line longer
// than the buffer is still one line: residue readers take it as consecutive
// pieces, header readers gather it whole (the only copy a read makes, and
// only of such a line).
class Line_Reader {
 public:
  Line_Reader(std::string_view file_name, std::span<char> buffer) : buffer_(buffer) {
    file_.open(file_name);
  }

  bool more() { return !file_.end_of_file(); }

  // The next piece of text; Starts_Line tells whether it begins a line.
  std::string_view piece(bool& starts_line) {
    starts_line = file_.at_line_start();
    return file_.get_line(buffer_);
  }

  // The next line, whole.
  std::string_view line() {
    const std::string_view first = file_.get_line(buffer_);
    if (file_.at_line_start()) return first;
    long_line_.assign(first);
    while (!file_.at_line_start()) {
      const std::string_view next = file_.get_line(buffer_);
      if (long_line_.size() + next.size() > std::size_t(std::numeric_limits<std::int32_t>::max())) {
        platform::raise(standard::CONSTRAINT_ERROR, "sequence_io: line too long");
      }
      long_line_.append(next);
    }
    return long_line_;
  }

  // The first piece of the next line, the rest of it passed over.
  std::string_view first_piece() {
    const std::string_view first = file_.get_line(buffer_);
    if (!file_.at_line_start()) file_.skip_line();
    return first;
  }

  void skip_lines(std::int64_t lines) {
    for (std::int64_t i = 0; i < lines && more(); ++i) file_.skip_line();
  }

  void close() { file_.close(); }

 private:
  platform::Input_File file_;
  std::span<char> buffer_;
  std::string long_line_;
};

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

bool is_plain_residue_line(std::string_view line) {
  return !line.empty() && !is_header_char(line[0]);
}

// After a plain-text header line: protein when some residue line holds a
// letter that is an amino acid and no nucleotide.
Sequence_Model scan_plain_type(Line_Reader& lines) {
  using sequence_specifications::Is_Amino_Acid_Char;
  using sequence_specifications::Is_Nucleotide_Char;
  bool residue_line = false;
  while (lines.more()) {
    bool starts_line;
    const std::string_view piece = lines.piece(starts_line);
    if (starts_line) residue_line = is_plain_residue_line(piece);
    if (!residue_line) continue;
    for (const char c : piece) {
      if (!Is_Nucleotide_Char(c) && Is_Amino_Acid_Char(c)) return Sequence_Model::PROTEIN;
    }
  }
  return Sequence_Model::DNA;
}

Detected detect(std::string_view file_name, std::span<char> buffer) {
  Line_Reader lines(file_name, buffer);
  while (lines.more()) {
    const std::string_view line = lines.line();
    const std::size_t n = line.size();
    if (n >= 1 && is_header_char(line[0])) {
      return {scan_plain_type(lines), Sequence_Format::PLAIN_ASCII};
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
  lines.close();
  fail(sequence_specifications::INVALID_SEQUENCE_FORMAT, Place::format_undetected);
}

// ----------------------------------------------------------- plain text

void plain_pass(const Reader_Context& context, Collector& collector) {
  Line_Reader lines(context.file_name, context.buffer);
  bool residue_line = false;
  while (lines.more() && !collector.full()) {
    bool starts_line;
    const std::string_view piece = lines.piece(starts_line);
    if (starts_line) residue_line = is_plain_residue_line(piece);
    if (residue_line) collector.take(piece);
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

// Stops after the header line (or at the end of the file).
Text_Header find_gcg_header(Line_Reader& lines, SEQUENCE_DATA& seq) {
  Text_Header header;
  strlib::String_Pointer word;
  while (lines.more()) {
    const std::string_view chars = lines.line();
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
Text_Header find_genbank_header(Line_Reader& lines, SEQUENCE_DATA& seq) {
  Text_Header header;
  while (lines.more()) {
    const std::string_view chars = lines.line();
    ++header.lines;
    if (chars.size() <= 11 || !chars.starts_with("LOCUS")) continue;
    const strlib::Plain_View line(chars);
    const std::int32_t after_name = strlib::Next_Word(line, seq.Name, 11, " ");
    const platform::Integer_Read length =
        platform::get_integer(line.slice(after_name, line.last()).view(), after_name);
    if (length.last >= line.last()) {
      fail(sequence_specifications::INVALID_SEQUENCE_FORMAT, Place::locus_without_bp);
    }
    strlib::String_Pointer unit_word;
    strlib::Next_Word(line, unit_word, length.last + 1, word_separators);
    if (!strlib::Equal(unit_word, "bp")) {
      fail(sequence_specifications::INVALID_SEQUENCE_FORMAT, Place::locus_without_bp);
    }
    header.announced = length.value;
    break;
  }
  while (lines.more()) {
    const std::string_view start = lines.first_piece();
    ++header.lines;
    if (start.size() > 5 && start.starts_with("ORIGIN")) break;
  }
  return header;
}

enum class Layout { gcg, genbank };

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Which characters of a residue line, seen piece by piece, hold its
// residues. GenBank: columns 11 on. GCG: what follows the line's leading
// position number, wherever it ends (the classic layout has it in columns
// 1 to 8 and two blanks after it; other writers use a narrower field); a
// GCG line without a number keeps the rule of columns 11 on.
class Residue_Columns {
 public:
  explicit Residue_Columns(Layout layout) : layout_(layout) {}

  void start_line() {
    phase_ = layout_ == Layout::gcg ? Phase::lead : Phase::columns;
    column_ = 0;
  }

  std::string_view residues(std::string_view piece) {
    std::size_t i = 0;
    while (phase_ != Phase::residues && i < piece.size()) {
      const char c = piece[i];
      switch (phase_) {
        case Phase::lead:
          if (c == ' ' || c == '\t') {
            ++i;
          } else {
            phase_ = is_digit(c) ? Phase::number : Phase::columns;
          }
          break;
        case Phase::number:
          if (is_digit(c)) {
            ++i;
          } else {
            phase_ = Phase::residues;
          }
          break;
        case Phase::columns:
          if (column_ + i >= 10) {
            phase_ = Phase::residues;
          } else {
            ++i;
          }
          break;
        case Phase::residues:
          break;
      }
    }
    column_ += i;
    return piece.substr(i);
  }

 private:
  enum class Phase { lead, number, columns, residues };
  Layout layout_;
  Phase phase_ = Phase::lead;
  std::size_t column_ = 0;  // characters of the line already passed
};

// The residue lines, up to the end of the file, or for GenBank up to the
// "//" line that ends the entry: a following entry is no part of it.
void collect_residue_lines(Line_Reader& lines, Layout layout, Collector& collector) {
  Residue_Columns columns(layout);
  while (lines.more() && !collector.full()) {
    bool starts_line;
    const std::string_view piece = lines.piece(starts_line);
    if (starts_line) {
      if (layout == Layout::genbank && piece.starts_with("//")) return;
      columns.start_line();
    }
    collector.take(columns.residues(piece));
  }
}

// The first pass finds the header and counts the residues that follow it,
// at most as many as announced; the array is then made at the size of what
// the file really holds, and a second pass fills it. Residues beyond the
// announced length are ignored; a file that holds fewer gives a shorter
// sequence, never unfilled positions.
template <class Find_Header>
void read_numbered(const Reader_Context& context, SEQUENCE_DATA& seq, Layout layout,
                   Find_Header find_header) {
  Text_Header header;
  std::int64_t present = 0;
  {
    Line_Reader lines(context.file_name, context.buffer);
    header = find_header(lines, seq);
    Collector counter(context.map(), header.announced);
    collect_residue_lines(lines, layout, counter);
    present = counter.count();
  }
  const std::int32_t count = std::int32_t(present);
  Residue_Array array(context.alphabet, context.as_text, count);
  Collector storer(context.map(), count, array.bytes());
  if (count > 0) {
    Line_Reader lines(context.file_name, context.buffer);
    lines.skip_lines(header.lines);
    collect_residue_lines(lines, layout, storer);
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
  // On the heap: a lack of memory is then a STORAGE_ERROR, where a stack that
  // cannot grow would end the process.
  const std::unique_ptr<char[]> line_buffer(new char[line_buffer_size]);
  const std::span<char> buffer(line_buffer.get(), line_buffer_size);

  Sequence_Model type = model;
  Sequence_Format form = format;
  if (model == Sequence_Model::NO || format == Sequence_Format::UNKNOWN) {
    const Detected detected = detect(file_name.view(), buffer);
    if (model == Sequence_Model::NO) type = detected.model;
    if (format != Sequence_Format::UNKNOWN && format != detected.format) {
      fail(sequence_specifications::INVALID_SEQUENCE_FORMAT, Place::format_differs);
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
      read_numbered(context, seq, Layout::gcg, find_gcg_header);
      return;
    case Sequence_Format::GENBANK:
      if (context.alphabet == Alphabet::protein) {
        fail(sequence_specifications::NOT_IMPLEMENTED, Place::protein_genbank);
      }
      read_numbered(context, seq, Layout::genbank, find_genbank_header);
      return;
    case Sequence_Format::UNKNOWN:
      break;
  }
  // Only a value outside the enumeration can come here.
  fail(sequence_specifications::INVALID_SEQUENCE_FORMAT, Place::format_differs);
}

}  // namespace sequence_io
