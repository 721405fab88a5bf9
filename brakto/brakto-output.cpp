#include "brakto-output.h"

#include <algorithm>
#include <cmath>

#include "brakto.h"
#include "platform/exceptions.h"

namespace brakto::output {

namespace {

constexpr const char* month_names[12] = {"January", "February", "March",     "April",
                                         "May",     "June",     "July",      "August",
                                         "September", "October", "November", "December"};

bool is_protein(const SEQUENCE_DATA& sequence) {
  return sequence.Model == sequence_specifications::Sequence_Model::PROTEIN;
}

std::string two_digits(std::int64_t value) {
  std::string text = std::to_string(value);
  if (value < 10) text.insert(text.begin(), '0');
  return text;
}

// Text(Low..High) of a range already checked against Text's bounds.
std::string_view residues(const SEQUENCE_DATA& sequence, std::int64_t low, std::int64_t high) {
  return {&sequence.Text(std::int32_t(low)), std::size_t(high - low + 1)};
}

}  // namespace

std::string Fragment_File_Name(sequence_specifications::Sequence_Model model,
                               strlib::Plain_View base_name) {
  const bool protein = model == sequence_specifications::Sequence_Model::PROTEIN;
  return std::string(base_name.view()) + (protein ? ".frgpep" : ".frgseq");
}

std::string GCG_File_Name(strlib::Plain_View base_name) {
  return std::string(base_name.view()) + ".gcg";
}

void Put_Fragment(platform::Output_File& file, const SEQUENCE_DATA& sequence,
                  strlib::Plain_View base_name, std::int32_t line_length) {
  std::string header = "> ";
  header += base_name.view();
  file.put_line(header);
  for (std::int64_t m = sequence.First; m <= sequence.Last; m += line_length) {
    const std::int64_t stop = std::min<std::int64_t>(m + line_length - 1, sequence.Last);
    file.put_line(residues(sequence, m, stop));
  }
}

void Write_Fragment(const SEQUENCE_DATA& sequence, strlib::Plain_View base_name,
                    std::int32_t line_length) {
  // With no residue per line the layout would never end.
  if (line_length < 1) {
    platform::raise(standard::CONSTRAINT_ERROR,
                    "line length " + std::to_string(line_length) + " is below 1");
  }
  Check_Working_Range(sequence);
  platform::Output_File file;
  file.create(Fragment_File_Name(sequence.Model, base_name));
  Put_Fragment(file, sequence, base_name, line_length);
  file.close();
}

std::string GCG_Header(const SEQUENCE_DATA& sequence, strlib::Plain_View base_name,
                       const platform::Clock_Reading& now) {
  if (now.month < 1 || now.month > 12) {
    platform::raise(standard::CONSTRAINT_ERROR, "month " + std::to_string(now.month) + " out of range");
  }
  const std::int64_t seconds = std::int64_t(std::floor(now.seconds + 0.5));
  const std::int64_t hour = seconds / 3600;
  const std::int64_t minute = seconds % 3600 / 60;
  // Readers take the header apart at its blanks: the entry name must stay
  // one word, and "Length:" must not run into a number that fills its field.
  std::string header(base_name.view());
  std::replace(header.begin(), header.end(), ' ', '_');
  header += " Length:";
  const std::string length = platform::integer_field(std::int64_t(sequence.Last) - sequence.First + 1, 5);
  if (length.front() != ' ') header += ' ';
  header += length;
  header += ' ';
  header += month_names[now.month - 1];
  header += platform::integer_field(now.day, 3);
  header += ',';
  header += platform::integer_field(now.year, 5);
  header += ' ';
  header += two_digits(hour);
  header += ':';
  header += two_digits(minute);
  header += is_protein(sequence) ? "  Type: P  Check: .." : "  Type: N  Check: ..";
  return header;
}

void Put_GCG(platform::Output_File& file, const SEQUENCE_DATA& sequence,
             strlib::Plain_View base_name, const platform::Clock_Reading& now) {
  file.put_line(GCG_Header(sequence, base_name, now));
  file.new_line();
  std::string line;
  for (std::int64_t i = sequence.First; i <= sequence.Last;) {
    const std::int64_t stop = std::min<std::int64_t>(i + 49, sequence.Last);
    line = platform::integer_field(i - sequence.First + 1, 8);
    line += ' ';
    for (std::int64_t j = i; j <= stop; j += 10) {
      line += ' ';
      line += residues(sequence, j, std::min(j + 9, stop));
    }
    file.put_line(line);
    file.new_line();
    i = stop + 1;
  }
}

void Write_GCG(const SEQUENCE_DATA& sequence, strlib::Plain_View base_name) {
  Check_Working_Range(sequence);
  platform::Output_File file;
  file.create(GCG_File_Name(base_name));
  Put_GCG(file, sequence, base_name, platform::clock());
  file.close();
}

}  // namespace brakto::output
