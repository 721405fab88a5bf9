// Traceback paths, the kernels' two lists, and the score matrices.
#pragma once

#include <array>
#include <cstdint>

#include "fifo.h"
#include "platform/exceptions.h"
#include "platform/heap_array.h"
#include "sequence_alignment.h"
#include "sequence_specifications.h"
#include "strlib.h"

namespace sequence_alignment::utils {

// ---------------------------------------------------------------- paths

// Each move's direction flag is the bit numbered by its code.
enum class Step_Kind : std::uint8_t { STOP, ALIGN, INSERT_1, INSERT_2 };

struct Path_Step {
  std::int32_t Column = 0;  // alignment columns up to the end of this step's move
  std::uint8_t Spare = 0;
  Step_Kind Move = Step_Kind::STOP;
  std::int32_t I = 0;  // where the move starts
  std::int32_t J = 0;
};

// Steps 1..n; null means no path.
using Path = platform::Heap_Array<Path_Step>;

using Move_Order = std::array<Step_Kind, 3>;

enum class Comparison : std::uint8_t { GOOD, EQUAL, BAD };

// The mode's letters read left to right: D ALIGN, V INSERT_2, H INSERT_1.
Move_Order Backward_Order(Backward_Mode mode) noexcept;

// Both paths non-null.
bool Equal_Paths(const Path& a, const Path& b) noexcept;
void Free_Path(Path& p) noexcept;

// Judges a path by the Column of its last step against the best length.
Comparison Compare(const Path_Step& last, std::int32_t best, Optimize_Mode mode) noexcept;

std::int32_t Maximum_Of_Four(std::int32_t a, std::int32_t b, std::int32_t c,
                             std::int32_t d) noexcept;

// A window of a code array seen in place, keeping the sequence's own
// numbering: Codes(First..Last).
template <class Code>
struct Code_Window {
  const Code* codes = nullptr;  // the code at index First
  std::int32_t first = 1;
  std::int32_t last = 0;

  std::int32_t length() const noexcept { return std::int32_t(std::int64_t(last) - first + 1); }
  Code operator()(std::int32_t i) const noexcept { return codes[std::int64_t(i) - first]; }
};

// ---------------------------------------------------------------- lists

struct Cell_Position {
  std::int32_t I = 0;
  std::int32_t J = 0;
};

// A kept path and the mode it was traced with. Copies are deep.
struct Optimal_Path {
  utils::Path Path;
  Backward_Mode Backward = Backward_Mode::DVH;

  Optimal_Path() = default;
  Optimal_Path(utils::Path path, Backward_Mode backward) noexcept
      : Path(std::move(path)), Backward(backward) {}
  Optimal_Path(Optimal_Path&&) noexcept = default;
  Optimal_Path& operator=(Optimal_Path&&) noexcept = default;
  Optimal_Path(const Optimal_Path& other) : Path(other.Path.clone()), Backward(other.Backward) {}
  Optimal_Path& operator=(const Optimal_Path& other) {
    if (this != &other) {
      Path = other.Path.clone();
      Backward = other.Backward;
    }
    return *this;
  }
};

namespace detail {
inline constexpr platform::Exception_Id positions_stack_empty{
    "SEQUENCE_ALIGNMENT.UTILS.POSITIONS_FIFO.STACK_EMPTY"};
inline constexpr platform::Exception_Id optimal_path_stack_empty{
    "SEQUENCE_ALIGNMENT.UTILS.OPTIMAL_PATH_FIFO.STACK_EMPTY"};

// Where the two lists are instantiated: the number that follows this unit's
// name in the messages of their STACK_EMPTY, "fifo:31 instantiated at
// sequence_alignment-utils:41". These numbers are part of the printed
// messages and never change, whatever becomes of the source.
enum class Place : int { positions_fifo = 41, optimal_path_fifo = 71 };
inline constexpr char unit[] = "sequence_alignment-utils";
}  // namespace detail

using POSITIONS_FIFO = fifo::Queue<Cell_Position, detail::positions_stack_empty, detail::unit,
                                   int(detail::Place::positions_fifo)>;
using OPTIMAL_PATH_FIFO = fifo::Queue<Optimal_Path, detail::optimal_path_stack_empty, detail::unit,
                                      int(detail::Place::optimal_path_fifo)>;

using Start_Cell_List = POSITIONS_FIFO;
using Kept_Path_List = OPTIMAL_PATH_FIFO;

bool Contains_Path(const Kept_Path_List& list, const Path& p) noexcept;
// Releases every node and the path it holds.
void Clear_Paths(Kept_Path_List& list) noexcept;

// ---------------------------------------------------------------- score matrices

inline constexpr platform::Exception_Id MATRIX_NAME_ERROR{"SEQUENCE_ALIGNMENT.UTILS.MATRIX_NAME_ERROR"};
inline constexpr platform::Exception_Id MATRIX_FORMAT_ERROR{
    "SEQUENCE_ALIGNMENT.UTILS.MATRIX_FORMAT_ERROR"};

// Row: sequence 1's code; column: sequence 2's code.
using Nucleic_Score_Matrix = std::array<std::array<std::int32_t, sequence_specifications::Nucleotide_Count>,
                                        sequence_specifications::Nucleotide_Count>;
using Protein_Score_Matrix = std::array<std::array<std::int32_t, sequence_specifications::Amino_Acid_Count>,
                                        sequence_specifications::Amino_Acid_Count>;

// Match on the diagonal and everywhere in N's row and column.
Nucleic_Score_Matrix Default_Nucleic_Matrix(std::int32_t match_weight, std::int32_t mismatch_weight) noexcept;
// BLOSUM62.
Protein_Score_Matrix Default_Protein_Matrix() noexcept;

// MATRIX_NAME_ERROR (message: the name) when the file cannot be opened;
// MATRIX_FORMAT_ERROR (message: the name) for a header of more than 30
// symbols; the conversion and number errors of a bad line propagate.
Nucleic_Score_Matrix Read_Nucleic_Matrix(strlib::Plain_View file_name);
Protein_Score_Matrix Read_Protein_Matrix(strlib::Plain_View file_name);

// On standard output.
void Print_Nucleic_Matrix(const Nucleic_Score_Matrix& matrix);
void Print_Protein_Matrix(const Protein_Score_Matrix& matrix);

}  // namespace sequence_alignment::utils
