#include "sequence_alignment-utils.h"

#include <limits>
#include <string>
#include <string_view>

#include "platform/text_io.h"

namespace sequence_alignment::utils {

using sequence_specifications::Amino_Acid_Count;
using sequence_specifications::Nucleotide_Count;

// ---------------------------------------------------------------- paths

Move_Order Backward_Order(Backward_Mode mode) noexcept {
  constexpr Step_Kind D = Step_Kind::ALIGN, V = Step_Kind::INSERT_2, H = Step_Kind::INSERT_1;
  switch (mode) {
    case Backward_Mode::DVH: return {D, V, H};
    case Backward_Mode::DHV: return {D, H, V};
    case Backward_Mode::VDH: return {V, D, H};
    case Backward_Mode::VHD: return {V, H, D};
    case Backward_Mode::HDV: return {H, D, V};
    case Backward_Mode::HVD: return {H, V, D};
  }
  return {D, V, H};
}

bool Equal_Paths(const Path& a, const Path& b) noexcept {
  if (a.first() != b.first() || a.last() != b.last()) return false;
  const std::int32_t n = a.length();
  const Path_Step* x = a.data();
  const Path_Step* y = b.data();
  for (std::int32_t k = 0; k < n; ++k) {
    if (x[k].Column != y[k].Column || x[k].Spare != y[k].Spare || x[k].Move != y[k].Move ||
        x[k].I != y[k].I || x[k].J != y[k].J) {
      return false;
    }
  }
  return true;
}

void Free_Path(Path& p) noexcept { p.reset(); }

Comparison Compare(const Path_Step& last, std::int32_t best, Optimize_Mode mode) noexcept {
  switch (mode) {
    case Optimize_Mode::NO: return Comparison::EQUAL;
    case Optimize_Mode::SHORT:
      return last.Column < best ? Comparison::GOOD
                                : last.Column == best ? Comparison::EQUAL : Comparison::BAD;
    case Optimize_Mode::LARGE:
      return last.Column > best ? Comparison::GOOD
                                : last.Column == best ? Comparison::EQUAL : Comparison::BAD;
  }
  return Comparison::EQUAL;
}

std::int32_t Maximum_Of_Four(std::int32_t a, std::int32_t b, std::int32_t c,
                             std::int32_t d) noexcept {
  std::int32_t m = a;
  if (b > m) m = b;
  if (c > m) m = c;
  if (d > m) m = d;
  return m;
}

bool Contains_Path(const Kept_Path_List& list, const Path& p) noexcept {
  for (const Optimal_Path& kept : list) {
    if (Equal_Paths(kept.Path, p)) return true;
  }
  return false;
}

void Clear_Paths(Kept_Path_List& list) noexcept { list.Clear(); }

// ---------------------------------------------------------------- score matrices

Nucleic_Score_Matrix Default_Nucleic_Matrix(std::int32_t match_weight,
                                            std::int32_t mismatch_weight) noexcept {
  Nucleic_Score_Matrix matrix;
  constexpr int n = int(sequence_specifications::Nucleotide::N);
  for (int row = 0; row < Nucleotide_Count; ++row) {
    for (int column = 0; column < Nucleotide_Count; ++column) {
      matrix[row][column] = row == column || row == n || column == n ? match_weight : mismatch_weight;
    }
  }
  return matrix;
}

Protein_Score_Matrix Default_Protein_Matrix() noexcept {
  // BLOSUM62, rows and columns in code order.
  return {{
      // A   B   C   D   E   F   G   H   I   K   L   M   N   P   Q   R   S   T   V   W   X   Y   Z   *
      {{ 4, -2,  0, -2, -1, -2,  0, -2, -1, -1, -1, -1, -2, -1, -1, -1,  1,  0,  0, -3,  0, -2, -1, -4}},  // A
      {{-2,  4, -3,  4,  1, -3, -1,  0, -3,  0, -4, -3,  3, -2,  0, -1,  0, -1, -3, -4, -1, -3,  1, -4}},  // B
      {{ 0, -3,  9, -3, -4, -2, -3, -3, -1, -3, -1, -1, -3, -3, -3, -3, -1, -1, -1, -2, -2, -2, -3, -4}},  // C
      {{-2,  4, -3,  6,  2, -3, -1, -1, -3, -1, -4, -3,  1, -1,  0, -2,  0, -1, -3, -4, -1, -3,  1, -4}},  // D
      {{-1,  1, -4,  2,  5, -3, -2,  0, -3,  1, -3, -2,  0, -1,  2,  0,  0, -1, -2, -3, -1, -2,  4, -4}},  // E
      {{-2, -3, -2, -3, -3,  6, -3, -1,  0, -3,  0,  0, -3, -4, -3, -3, -2, -2, -1,  1, -1,  3, -3, -4}},  // F
      {{ 0, -1, -3, -1, -2, -3,  6, -2, -4, -2, -4, -3,  0, -2, -2, -2,  0, -2, -3, -2, -1, -3, -2, -4}},  // G
      {{-2,  0, -3, -1,  0, -1, -2,  8, -3, -1, -3, -2,  1, -2,  0,  0, -1, -2, -3, -2, -1,  2,  0, -4}},  // H
      {{-1, -3, -1, -3, -3,  0, -4, -3,  4, -3,  2,  1, -3, -3, -3, -3, -2, -1,  3, -3, -1, -1, -3, -4}},  // I
      {{-1,  0, -3, -1,  1, -3, -2, -1, -3,  5, -2, -1,  0, -1,  1,  2,  0, -1, -2, -3, -1, -2,  1, -4}},  // K
      {{-1, -4, -1, -4, -3,  0, -4, -3,  2, -2,  4,  2, -3, -3, -2, -2, -2, -1,  1, -2, -1, -1, -3, -4}},  // L
      {{-1, -3, -1, -3, -2,  0, -3, -2,  1, -1,  2,  5, -2, -2,  0, -1, -1, -1,  1, -1, -1, -1, -1, -4}},  // M
      {{-2,  3, -3,  1,  0, -3,  0,  1, -3,  0, -3, -2,  6, -2,  0,  0,  1,  0, -3, -4, -1, -2,  0, -4}},  // N
      {{-1, -2, -3, -1, -1, -4, -2, -2, -3, -1, -3, -2, -2,  7, -1, -2, -1, -1, -2, -4, -2, -3, -1, -4}},  // P
      {{-1,  0, -3,  0,  2, -3, -2,  0, -3,  1, -2,  0,  0, -1,  5,  1,  0, -1, -2, -2, -1, -1,  3, -4}},  // Q
      {{-1, -1, -3, -2,  0, -3, -2,  0, -3,  2, -2, -1,  0, -2,  1,  5, -1, -1, -3, -3, -1, -2,  0, -4}},  // R
      {{ 1,  0, -1,  0,  0, -2,  0, -1, -2,  0, -2, -1,  1, -1,  0, -1,  4,  1, -2, -3,  0, -2,  0, -4}},  // S
      {{ 0, -1, -1, -1, -1, -2, -2, -2, -1, -1, -1, -1,  0, -1, -1, -1,  1,  5,  0, -2,  0, -2, -1, -4}},  // T
      {{ 0, -3, -1, -3, -2, -1, -3, -3,  3, -2,  1,  1, -3, -2, -2, -3, -2,  0,  4, -3, -1, -1, -2, -4}},  // V
      {{-3, -4, -2, -4, -3,  1, -2, -2, -3, -3, -2, -1, -4, -4, -2, -3, -3, -2, -3, 11, -2,  2, -3, -4}},  // W
      {{ 0, -1, -2, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -2, -1, -1,  0,  0, -1, -2, -1, -1, -1, -4}},  // X
      {{-2, -3, -2, -3, -2,  3, -3,  2, -1, -2, -1, -1, -2, -3, -1, -2, -2, -2, -1,  2, -1,  7, -2, -4}},  // Y
      {{-1,  1, -3,  1,  4, -3, -2,  0, -3,  1, -3, -1,  0, -1,  3,  0,  0, -1, -2, -3, -1, -2,  4, -4}},  // Z
      {{-4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4,  1}},  // *
  }};
}

namespace {

constexpr std::size_t line_buffer_size = 2048;
constexpr int max_header_symbols = 30;

// The file reader shared by both alphabets: Size codes, To_Code converting
// a letter (and raising for an unknown one).
template <int Size, class Matrix, class To_Code>
Matrix read_matrix(strlib::Plain_View file_name, To_Code to_code) {
  constexpr std::int32_t unset = std::numeric_limits<std::int32_t>::min();
  Matrix matrix;
  std::array<std::array<bool, Size>, Size> given{};
  for (auto& row : matrix) row.fill(unset);
  std::int32_t min = std::numeric_limits<std::int32_t>::max();
  std::array<int, max_header_symbols> columns{};
  int count = 0;

  const std::string name(file_name.view());
  platform::Input_File file;
  try {
    file.open(name);
  } catch (const platform::Error&) {
    platform::raise(MATRIX_NAME_ERROR, name);
  }

  std::array<char, line_buffer_size> buffer;
  while (!file.end_of_file()) {
    const std::string_view line = file.get_line(buffer);
    if (line.empty() || line[0] == '#') continue;
    if (count == 0) {
      for (char c : line) {
        if (c == ' ') continue;
        if (count == max_header_symbols) platform::raise(MATRIX_FORMAT_ERROR, name);
        columns[count++] = int(to_code(c));
      }
      continue;
    }
    std::size_t at = 0;
    while (at < line.size() && line[at] == ' ') ++at;
    if (at == line.size()) continue;
    const int row = int(to_code(line[at]));
    ++at;
    for (int k = 0; k < count; ++k) {
      // Indexes from 1 as the number reader counts them.
      const platform::Integer_Read number =
          platform::get_integer(line.substr(at), std::int32_t(at + 1));
      matrix[row][columns[k]] = number.value;
      given[row][columns[k]] = true;
      if (number.value < min) min = number.value;
      at = std::size_t(number.last);
    }
  }

  for (int i = 0; i < Size; ++i) {
    for (int j = 0; j < Size; ++j) {
      if (!given[i][j]) matrix[i][j] = given[j][i] ? matrix[j][i] : min;
    }
  }
  return matrix;
}

template <class Matrix, class Image>
void print_matrix(const Matrix& matrix, Image image) {
  platform::Output_File& out = platform::standard_output();
  const int size = int(matrix.size());
  out.put("  ");
  for (int code = 0; code < size; ++code) {
    out.put("  ");
    out.put(image(code));
  }
  out.new_line();
  for (int row = 0; row < size; ++row) {
    out.put(image(row));
    out.put(' ');
    for (int column = 0; column < size; ++column) platform::put_integer(out, matrix[row][column], 3);
    out.new_line();
  }
}

}  // namespace

Nucleic_Score_Matrix Read_Nucleic_Matrix(strlib::Plain_View file_name) {
  return read_matrix<Nucleotide_Count, Nucleic_Score_Matrix>(
      file_name, [](char c) { return sequence_specifications::To_Nucleotide(c); });
}

Protein_Score_Matrix Read_Protein_Matrix(strlib::Plain_View file_name) {
  return read_matrix<Amino_Acid_Count, Protein_Score_Matrix>(
      file_name, [](char c) { return sequence_specifications::To_Amino_Acid(c); });
}

void Print_Nucleic_Matrix(const Nucleic_Score_Matrix& matrix) {
  print_matrix(matrix, [](int code) {
    return sequence_specifications::Nucleotide_Image(sequence_specifications::Nucleotide(code));
  });
}

void Print_Protein_Matrix(const Protein_Score_Matrix& matrix) {
  print_matrix(matrix, [](int code) {
    return sequence_specifications::Amino_Acid_Image(sequence_specifications::Amino_Acid(code));
  });
}

}  // namespace sequence_alignment::utils
