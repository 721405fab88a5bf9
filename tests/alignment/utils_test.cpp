#include <gtest/gtest.h>

#include <fstream>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/text_io.h"
#include "sequence_alignment-utils.h"
#include "test_support.h"

using namespace sequence_alignment;
using namespace sequence_alignment::utils;
using sequence_specifications::Amino_Acid;
using sequence_specifications::Nucleotide;

namespace {

using test_support::raised;

Path make_path(std::vector<Path_Step> steps) {
  return Path::copy_of(steps.data(), std::int64_t(steps.size()), 1);
}

int nuc(char c) { return int(sequence_specifications::To_Nucleotide(c)); }
int amino(char c) { return int(sequence_specifications::To_Amino_Acid(c)); }

constexpr std::int32_t smallest = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t largest = std::numeric_limits<std::int32_t>::max();

}  // namespace

// ---------------------------------------------------------------- paths

TEST(Paths, BackwardOrderSpellsTheModeLetters) {
  constexpr Step_Kind D = Step_Kind::ALIGN, V = Step_Kind::INSERT_2, H = Step_Kind::INSERT_1;
  const std::map<Backward_Mode, Move_Order> expected = {
      {Backward_Mode::DVH, {D, V, H}}, {Backward_Mode::DHV, {D, H, V}}, {Backward_Mode::VDH, {V, D, H}},
      {Backward_Mode::VHD, {V, H, D}}, {Backward_Mode::HDV, {H, D, V}}, {Backward_Mode::HVD, {H, V, D}},
  };
  for (const auto& [mode, order] : expected) EXPECT_EQ(Backward_Order(mode), order) << Image(mode);
}

TEST(Paths, EqualPathsComparesBoundsThenEveryField) {
  const Path a = make_path({{1, 0, Step_Kind::ALIGN, 3, 4}, {4, 0, Step_Kind::INSERT_1, 4, 5}, {5, 0, Step_Kind::ALIGN, 4, 8}});
  EXPECT_TRUE(Equal_Paths(a, a.clone()));
  // A longer path is unequal whatever its steps.
  const Path longer = make_path({{1, 0, Step_Kind::ALIGN, 3, 4}, {4, 0, Step_Kind::INSERT_1, 4, 5},
                                 {5, 0, Step_Kind::ALIGN, 4, 8}, {6, 0, Step_Kind::ALIGN, 5, 9}});
  EXPECT_FALSE(Equal_Paths(a, longer));
  // Same moves and cells, one Column different.
  Path other = a.clone();
  other(2).Column = 3;
  EXPECT_FALSE(Equal_Paths(a, other));
  for (auto change : {+[](Path_Step& s) { s.Move = Step_Kind::INSERT_2; }, +[](Path_Step& s) { s.I = 9; },
                      +[](Path_Step& s) { s.J = 9; }, +[](Path_Step& s) { s.Spare = 1; }}) {
    Path changed = a.clone();
    change(changed(3));
    EXPECT_FALSE(Equal_Paths(a, changed));
  }
  // Same bounds elsewhere than 1..n count too; empty paths with equal bounds are equal.
  EXPECT_TRUE(Equal_Paths(Path::make(1, 0), Path::make(1, 0)));
  EXPECT_FALSE(Equal_Paths(Path::make(1, 0), Path::make(2, 1)));

  Path freed = a.clone();
  Free_Path(freed);
  EXPECT_TRUE(freed.is_null());
  Free_Path(freed);
  EXPECT_TRUE(freed.is_null());
}

TEST(Paths, CompareJudgesTheLastColumn) {
  struct Case {
    Optimize_Mode mode;
    std::int32_t column, best;
    Comparison expected;
  };
  const Case cases[] = {
      {Optimize_Mode::NO, 7, 9, Comparison::EQUAL},       {Optimize_Mode::NO, 12, smallest, Comparison::EQUAL},
      {Optimize_Mode::SHORT, 7, 9, Comparison::GOOD},     {Optimize_Mode::SHORT, 7, 7, Comparison::EQUAL},
      {Optimize_Mode::SHORT, 7, 5, Comparison::BAD},      {Optimize_Mode::SHORT, 7, largest, Comparison::GOOD},
      {Optimize_Mode::LARGE, 7, 9, Comparison::BAD},      {Optimize_Mode::LARGE, 9, 9, Comparison::EQUAL},
      {Optimize_Mode::LARGE, 9, 7, Comparison::GOOD},     {Optimize_Mode::LARGE, 1, smallest, Comparison::GOOD},
  };
  for (const Case& c : cases) {
    Path_Step last;
    last.Column = c.column;
    EXPECT_EQ(Compare(last, c.best, c.mode), c.expected) << Image(c.mode) << " " << c.column << " " << c.best;
  }
  EXPECT_EQ(Maximum_Of_Four(-5, 3, 9, 2), 9);
  EXPECT_EQ(Maximum_Of_Four(smallest, smallest, smallest, -1), -1);
}

// ---------------------------------------------------------------- lists

TEST(Lists, FirstInFirstOut) {
  POSITIONS_FIFO list;
  EXPECT_TRUE(list.Is_Empty());
  EXPECT_FALSE(list.Is_Not_Empty());
  for (int k = 1; k <= 4; ++k) list.Push({k, 10 * k});
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Size(), 4);
  EXPECT_EQ(list.Top().I, 1);
  Cell_Position top;
  list.Top(top);
  EXPECT_EQ(top.J, 10);
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Pop().I, 1);
  EXPECT_EQ(list.Pop().J, 20);
  list.Push({5, 50});
  std::vector<int> order;
  while (list.Is_Not_Empty()) {
    order.push_back(list.Pop().I);
    EXPECT_EQ(list.Count(), list.Size());
  }
  EXPECT_EQ(order, (std::vector<int>{3, 4, 5}));
  // The last node gone, the list works from empty again.
  list.Push({6, 60});
  EXPECT_EQ(list.Top().I, 6);
  list.Clear();
  EXPECT_TRUE(list.Is_Empty());
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Size(), 0);
}

TEST(Lists, EmptyListNamesItsInstanceAndOperation) {
  POSITIONS_FIFO positions;
  OPTIMAL_PATH_FIFO paths;
  Cell_Position cell;
  Optimal_Path path;
  const std::string positions_empty = "SEQUENCE_ALIGNMENT.UTILS.POSITIONS_FIFO.STACK_EMPTY ";
  const std::string paths_empty = "SEQUENCE_ALIGNMENT.UTILS.OPTIMAL_PATH_FIFO.STACK_EMPTY ";
  EXPECT_EQ(raised([&] { positions.Pop(); }), positions_empty + "fifo:31 instantiated at sequence_alignment-utils:41");
  EXPECT_EQ(raised([&] { positions.Top(); }), positions_empty + "fifo:53 instantiated at sequence_alignment-utils:41");
  EXPECT_EQ(raised([&] { positions.Top(cell); }), positions_empty + "fifo:45 instantiated at sequence_alignment-utils:41");
  EXPECT_EQ(raised([&] { paths.Pop(); }), paths_empty + "fifo:31 instantiated at sequence_alignment-utils:71");
  EXPECT_EQ(raised([&] { paths.Top(); }), paths_empty + "fifo:53 instantiated at sequence_alignment-utils:71");
  EXPECT_EQ(raised([&] { paths.Top(path); }), paths_empty + "fifo:45 instantiated at sequence_alignment-utils:71");
  // One push and pop leave it empty again, and it says so the same way.
  positions.Push({1, 1});
  positions.Pop();
  EXPECT_EQ(raised([&] { positions.Pop(); }), positions_empty + "fifo:31 instantiated at sequence_alignment-utils:41");
  EXPECT_TRUE(POSITIONS_FIFO::STACK_EMPTY.name != OPTIMAL_PATH_FIFO::STACK_EMPTY.name);
}

TEST(Lists, KeptPathsAreFoundAndReleased) {
  Kept_Path_List list;
  const Path a = make_path({{1, 0, Step_Kind::ALIGN, 1, 1}});
  const Path b = make_path({{1, 0, Step_Kind::ALIGN, 2, 2}, {2, 0, Step_Kind::ALIGN, 3, 3}});
  EXPECT_FALSE(Contains_Path(list, a));
  list.Push(Optimal_Path(a.clone(), Backward_Mode::HDV));
  list.Push(Optimal_Path(b.clone(), Backward_Mode::DVH));
  EXPECT_TRUE(Contains_Path(list, a));
  EXPECT_TRUE(Contains_Path(list, b));
  EXPECT_FALSE(Contains_Path(list, make_path({{1, 0, Step_Kind::ALIGN, 1, 2}})));
  // Top gives a copy of its own; the list keeps its path.
  Optimal_Path top;
  list.Top(top);
  EXPECT_EQ(top.Backward, Backward_Mode::HDV);
  EXPECT_TRUE(Equal_Paths(top.Path, a));
  EXPECT_NE(top.Path.data(), list.Top().Path.data());
  Clear_Paths(list);
  EXPECT_TRUE(list.Is_Empty());
  EXPECT_EQ(list.Count(), 0);
  EXPECT_FALSE(Contains_Path(list, a));
}

// ---------------------------------------------------------------- built-in matrices

TEST(ScoreMatrices, DefaultNucleicMatrix) {
  const Nucleic_Score_Matrix m = Default_Nucleic_Matrix(100, -90);
  struct Case {
    char row, column;
    std::int32_t expected;
  };
  const Case cases[] = {{'A', 'A', 100}, {'A', 'T', -90}, {'N', 'A', 100}, {'A', 'N', 100}, {'N', 'N', 100},
                        {'R', 'R', 100}, {'R', 'A', -90}, {'A', 'R', -90}, {'S', 'W', -90}, {'D', 'N', 100}};
  for (const Case& c : cases) EXPECT_EQ(m[nuc(c.row)][nuc(c.column)], c.expected) << c.row << c.column;
  int matches = 0;
  for (const auto& row : m) {
    for (std::int32_t v : row) matches += v == 100;
  }
  EXPECT_EQ(matches, 14 + 14 + 1 + 14);  // diagonal, N's row and column
}

TEST(ScoreMatrices, DefaultProteinMatrixIsBlosum62) {
  std::ifstream file("/work/shared/data/blosum62.txt");
  ASSERT_TRUE(file.good());
  std::string line;
  std::vector<char> header;
  std::map<std::pair<char, char>, int> published;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    if (header.empty()) {
      char c;
      while (words >> c) header.push_back(c);
      continue;
    }
    char row;
    words >> row;
    for (char column : header) {
      int value;
      ASSERT_TRUE(bool(words >> value));
      published[{row, column}] = value;
    }
  }
  ASSERT_EQ(header.size(), 24u);
  ASSERT_EQ(published.size(), 576u);
  const Protein_Score_Matrix m = Default_Protein_Matrix();
  for (const auto& [cell, value] : published) {
    EXPECT_EQ(m[amino(cell.first)][amino(cell.second)], value) << cell.first << cell.second;
  }
  EXPECT_EQ(m[amino('*')][amino('*')], 1);
  EXPECT_EQ(m[amino('B')][amino('D')], 4);
}

// ---------------------------------------------------------------- matrix files

namespace {
std::string fixture_matrix(const std::string& name) {
  return test_support::fixture("matrices/" + name).string();
}
}  // namespace

TEST(ScoreMatrixFiles, MissingRowsAreMirrored) {
  const Nucleic_Score_Matrix m = Read_Nucleic_Matrix(fixture_matrix("mirrored_rows.mat"));
  // Given: rows A and G. Mirrored: rows T and C from columns T and C.
  const std::map<std::pair<char, char>, int> expected = {
      {{'A', 'A'}, 5},  {{'A', 'T'}, -1}, {{'A', 'G'}, 2},  {{'A', 'C'}, -3}, {{'G', 'A'}, 1},
      {{'G', 'T'}, -4}, {{'G', 'G'}, 7},  {{'G', 'C'}, -6}, {{'T', 'A'}, -1}, {{'T', 'G'}, -4},
      {{'C', 'A'}, -3}, {{'C', 'G'}, -6},
  };
  const std::string letters = "ATGCSWRYKMBVHDN";
  for (char r : letters) {
    for (char c : letters) {
      const auto at = expected.find({r, c});
      EXPECT_EQ(m[nuc(r)][nuc(c)], at == expected.end() ? -6 : at->second) << r << c;
    }
  }
}

TEST(ScoreMatrixFiles, ReaderRules) {
  {  // Cells that neither the file nor their mirror gave take the smallest value read.
    const Nucleic_Score_Matrix m = Read_Nucleic_Matrix(fixture_matrix("minimum_fill.mat"));
    EXPECT_EQ(m[nuc('A')][nuc('A')], 3);
    EXPECT_EQ(m[nuc('A')][nuc('T')], -2);
    EXPECT_EQ(m[nuc('T')][nuc('A')], -7);
    EXPECT_EQ(m[nuc('T')][nuc('T')], 4);
    EXPECT_EQ(m[nuc('G')][nuc('A')], -7);
    EXPECT_EQ(m[nuc('N')][nuc('N')], -7);
  }
  {  // No row at all: nothing was read, every cell is the largest Integer.
    const Protein_Score_Matrix m = Read_Protein_Matrix(fixture_matrix("header_only.mat"));
    for (const auto& row : m) {
      for (std::int32_t v : row) EXPECT_EQ(v, largest);
    }
  }
  {  // A line of blanks before the header adds no column.
    const Nucleic_Score_Matrix m = Read_Nucleic_Matrix(fixture_matrix("blank_before_header.mat"));
    EXPECT_EQ(m[nuc('A')][nuc('A')], 1);
    EXPECT_EQ(m[nuc('A')][nuc('C')], 2);
    EXPECT_EQ(m[nuc('C')][nuc('A')], 3);
    EXPECT_EQ(m[nuc('C')][nuc('C')], 4);
    EXPECT_EQ(m[nuc('T')][nuc('T')], 1);
  }
  {  // Rows are matched by their symbol (one with leading blanks), not by their place.
    const Nucleic_Score_Matrix m = Read_Nucleic_Matrix(fixture_matrix("rows_out_of_order.mat"));
    const std::string columns = "ACGT";
    const std::map<char, std::vector<int>> rows = {
        {'T', {1, 2, 3, 4}}, {'G', {5, 6, 7, 8}}, {'C', {9, 10, 11, 12}}, {'A', {13, 14, 15, 16}}};
    for (const auto& [row, values] : rows) {
      for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(m[nuc(row)][nuc(columns[k])], values[k]) << row << columns[k];
    }
  }
  {  // A repeated row or column overwrites the earlier value.
    const Nucleic_Score_Matrix m = Read_Nucleic_Matrix(fixture_matrix("repeated.mat"));
    EXPECT_EQ(m[nuc('A')][nuc('A')], 6);
    EXPECT_EQ(m[nuc('A')][nuc('C')], 5);
    EXPECT_EQ(m[nuc('C')][nuc('A')], 9);
    EXPECT_EQ(m[nuc('C')][nuc('C')], 8);
  }
}

TEST(ScoreMatrixFiles, BadFilesEndInTheirErrors) {
  struct Case {
    const char* name;
    bool protein;
    std::string expected;
  };
  const Case cases[] = {
      {"blank_then_hash.mat", false, "SEQUENCE_SPECIFICATIONS.UNKNOWN_NUCLEOTIDE sequence_specifications:109"},
      {"unknown_symbol.mat", false, "SEQUENCE_SPECIFICATIONS.UNKNOWN_NUCLEOTIDE sequence_specifications:109"},
      {"mirrored_rows.mat", true, "nothing raised"},
      {"rows_out_of_order.mat", true, "nothing raised"},
      {"short_row.mat", false, "IO_EXCEPTIONS.END_ERROR no number before the end of the text"},
      {"bad_number.mat", false, "IO_EXCEPTIONS.DATA_ERROR no integer literal"},
  };
  for (const Case& c : cases) {
    const std::string name = fixture_matrix(c.name);
    EXPECT_EQ(raised([&] { c.protein ? (void)Read_Protein_Matrix(name) : (void)Read_Nucleic_Matrix(name); }),
              c.expected)
        << c.name;
  }
  // X is an amino acid but no nucleotide.
  EXPECT_EQ(Read_Protein_Matrix(fixture_matrix("unknown_symbol.mat"))[amino('A')][amino('X')], 3);
  // Room for 30 header symbols: a 31st is refused.
  const std::string long_header = fixture_matrix("long_header.mat");
  EXPECT_EQ(raised([&] { Read_Protein_Matrix(long_header); }),
            "SEQUENCE_ALIGNMENT.UTILS.MATRIX_FORMAT_ERROR " + long_header);
  // Only the opening is guarded, and the message is the name as given.
  EXPECT_EQ(raised([] { Read_Nucleic_Matrix("no/such/file.mat"); }),
            "SEQUENCE_ALIGNMENT.UTILS.MATRIX_NAME_ERROR no/such/file.mat");
  test_support::Temp_Dir folder;
  EXPECT_EQ(raised([&] { Read_Protein_Matrix(folder.path().string()); }),
            "SEQUENCE_ALIGNMENT.UTILS.MATRIX_NAME_ERROR " + folder.path().string());
}

TEST(ScoreMatrixFiles, LongLinesArriveInPiecesOf2048) {
  // A comment line whose second piece is a row, then a row whose numbers
  // fall into a second piece: the first piece alone is a short row.
  test_support::Temp_Dir folder;
  const std::string name = (folder / "long.mat").string();
  test_support::write_file(name, "AC\n#" + std::string(2047, '-') + "C 3 4\nA 1 2\n");
  const Nucleic_Score_Matrix m = Read_Nucleic_Matrix(name);
  EXPECT_EQ(m[nuc('C')][nuc('A')], 3);
  EXPECT_EQ(m[nuc('C')][nuc('C')], 4);
  EXPECT_EQ(m[nuc('A')][nuc('C')], 2);
  test_support::write_file(name, "AC\nA" + std::string(2047, ' ') + " 1 2\n");
  EXPECT_EQ(raised([&] { Read_Nucleic_Matrix(name); }),
            "IO_EXCEPTIONS.END_ERROR no number before the end of the text");
}

TEST(ScoreMatrixFiles, Examples) {
  EXPECT_EQ(Read_Protein_Matrix(test_support::example("blosum62.mat").string()), Default_Protein_Matrix());
  const Nucleic_Score_Matrix dna = Read_Nucleic_Matrix(test_support::example("dna.mat").string());
  EXPECT_EQ(dna[nuc('A')][nuc('A')], 10);
  EXPECT_EQ(dna[nuc('A')][nuc('G')], -5);
  EXPECT_EQ(dna[nuc('T')][nuc('G')], -9);
  EXPECT_EQ(dna[nuc('N')][nuc('C')], 0);
  EXPECT_EQ(dna[nuc('R')][nuc('Y')], -9);
}

TEST(ScoreMatrixFiles, Printers) {
  {
    platform::Standard_Output_Capture capture;
    Print_Nucleic_Matrix(Default_Nucleic_Matrix(100, -90));
    EXPECT_TRUE(test_support::matches_golden(capture.text(), "alignment/nucleic_matrix.txt"));
  }
  {
    platform::Standard_Output_Capture capture;
    Print_Protein_Matrix(Default_Protein_Matrix());
    EXPECT_TRUE(test_support::matches_golden(capture.text(), "alignment/protein_matrix.txt"));
  }
}
