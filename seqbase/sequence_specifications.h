// The sequence model: residue alphabets and their codes, sequence types,
// file formats, strands, the letter sets of the file readers.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/exceptions.h"
#include "strlib.h"

namespace sequence_specifications {

// Codes index every code array and score matrix in this order.
enum class Nucleotide : std::uint8_t { A, T, G, C, S, W, R, Y, K, M, B, V, H, D, N };
enum class Amino_Acid : std::uint8_t {
  A, B, C, D, E, F, G, H, I, K, L, M, N, P, Q, R, S, T, V, W, X, Y, Z, STOP  // STOP is "*"
};
inline constexpr int Nucleotide_Count = 15;
inline constexpr int Amino_Acid_Count = 24;

enum class Sequence_Model : std::uint8_t { NO, DNA, RNA, PROTEIN };
enum class Sequence_Format : std::uint8_t { PLAIN_ASCII, DNA_STRIDER, GCG, GENBANK, UNKNOWN };
enum class Strand : std::uint8_t { WATSON, CRICK, BOTH };

// DNA and RNA go together wherever a nucleic sequence is asked for.
constexpr bool Is_Nucleic(Sequence_Model model) noexcept {
  return model == Sequence_Model::DNA || model == Sequence_Model::RNA;
}

// Literal names, as printed.
const char* Image(Sequence_Model value) noexcept;
const char* Image(Sequence_Format value) noexcept;
const char* Image(Strand value) noexcept;
// The letter between apostrophes, "'A'".
std::string Image(Nucleotide value);

inline constexpr char Blank = ' ';
inline constexpr std::string_view Nucleotide_Letters = "aAtTgGcCuUnN";
inline constexpr std::string_view Amino_Acid_Letters =
    "aAbBcCdDeEfFgGhHiIkKlLmMnNpPqQrRsStTvVwWxXyYzZ*";

inline constexpr platform::Exception_Id UNKNOWN_NUCLEOTIDE{"SEQUENCE_SPECIFICATIONS.UNKNOWN_NUCLEOTIDE"};
inline constexpr platform::Exception_Id UNKNOWN_AMINO_ACID{"SEQUENCE_SPECIFICATIONS.UNKNOWN_AMINO_ACID"};
inline constexpr platform::Exception_Id EMPTY_SEQUENCE{"SEQUENCE_SPECIFICATIONS.EMPTY_SEQUENCE"};
inline constexpr platform::Exception_Id TOO_SHORT_SEQUENCE{"SEQUENCE_SPECIFICATIONS.TOO_SHORT_SEQUENCE"};
inline constexpr platform::Exception_Id NOT_NUCLEOTIDIC{"SEQUENCE_SPECIFICATIONS.NOT_NUCLEOTIDIC"};
inline constexpr platform::Exception_Id NOT_PROTEINIC{"SEQUENCE_SPECIFICATIONS.NOT_PROTEINIC"};
inline constexpr platform::Exception_Id INVALID_SEQUENCE_FORMAT{"SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_FORMAT"};
inline constexpr platform::Exception_Id INVALID_SEQUENCE_MODEL{"SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_MODEL"};
inline constexpr platform::Exception_Id INVALID_STRAND{"SEQUENCE_SPECIFICATIONS.INVALID_STRAND"};
inline constexpr platform::Exception_Id NOT_IMPLEMENTED{"SEQUENCE_SPECIFICATIONS.NOT_IMPLEMENTED"};

namespace detail {
inline constexpr std::uint8_t none = 0xFF;

// Code of each character, none when it has none; fixed tables, no locale.
constexpr std::array<std::uint8_t, 256> nucleotide_codes() {
  std::array<std::uint8_t, 256> table{};
  for (auto& entry : table) entry = none;
  constexpr std::string_view letters = "ATGCSWRYKMBVHDN";
  for (std::size_t code = 0; code < letters.size(); ++code) {
    table[std::uint8_t(letters[code])] = std::uint8_t(code);
    table[std::uint8_t(letters[code] - 'A' + 'a')] = std::uint8_t(code);
  }
  table['U'] = table['u'] = 1;
  return table;
}
constexpr std::array<std::uint8_t, 256> amino_acid_codes() {
  std::array<std::uint8_t, 256> table{};
  for (auto& entry : table) entry = none;
  constexpr std::string_view letters = "ABCDEFGHIKLMNPQRSTVWXYZ";
  for (std::size_t code = 0; code < letters.size(); ++code) {
    table[std::uint8_t(letters[code])] = std::uint8_t(code);
    table[std::uint8_t(letters[code] - 'A' + 'a')] = std::uint8_t(code);
  }
  table['*'] = 23;
  return table;
}
constexpr std::array<bool, 256> member_table(std::string_view letters) {
  std::array<bool, 256> table{};
  for (char c : letters) table[std::uint8_t(c)] = true;
  return table;
}

inline constexpr auto nucleotide_code = nucleotide_codes();
inline constexpr auto amino_acid_code = amino_acid_codes();
inline constexpr auto nucleotide_char = member_table(Nucleotide_Letters);
inline constexpr auto amino_acid_char = member_table(Amino_Acid_Letters);
inline constexpr std::string_view nucleotide_images = "ATGCSWRYKMBVHDN";
inline constexpr std::string_view amino_acid_images = "ABCDEFGHIKLMNPQRSTVWXYZ*";

// Where the conversions below raise: the number that follows the unit's
// name in the message, "sequence_specifications:109". These numbers are part
// of the printed messages and never change, whatever becomes of the source.
enum class Place : int {
  to_nucleotide = 109, nucleotide_image = 131, to_nucleotide_char = 44,
  to_amino_acid = 162, amino_acid_image = 193, to_amino_acid_char = 75,
};

[[noreturn]] void refuse(const platform::Exception_Id& id, Place place);
}  // namespace detail

// Letter to code, either case; U counts as T.
inline Nucleotide To_Nucleotide(char item) {
  const std::uint8_t code = detail::nucleotide_code[std::uint8_t(item)];
  if (code == detail::none) detail::refuse(UNKNOWN_NUCLEOTIDE, detail::Place::to_nucleotide);
  return Nucleotide(code);
}
// Code to upper-case letter.
inline char Nucleotide_Image(Nucleotide item) {
  if (std::uint8_t(item) >= Nucleotide_Count) detail::refuse(UNKNOWN_NUCLEOTIDE, detail::Place::nucleotide_image);
  return detail::nucleotide_images[std::uint8_t(item)];
}
// Upper-case form of a convertible letter; U stays U.
inline char To_Nucleotide_Char(char item) {
  if (detail::nucleotide_code[std::uint8_t(item)] == detail::none) {
    detail::refuse(UNKNOWN_NUCLEOTIDE, detail::Place::to_nucleotide_char);
  }
  return item >= 'a' && item <= 'z' ? char(item - 'a' + 'A') : item;
}
inline Amino_Acid To_Amino_Acid(char item) {
  const std::uint8_t code = detail::amino_acid_code[std::uint8_t(item)];
  if (code == detail::none) detail::refuse(UNKNOWN_AMINO_ACID, detail::Place::to_amino_acid);
  return Amino_Acid(code);
}
inline char Amino_Acid_Image(Amino_Acid item) {
  if (std::uint8_t(item) >= Amino_Acid_Count) detail::refuse(UNKNOWN_AMINO_ACID, detail::Place::amino_acid_image);
  return detail::amino_acid_images[std::uint8_t(item)];
}
inline char To_Amino_Acid_Char(char item) {
  if (detail::amino_acid_code[std::uint8_t(item)] == detail::none) {
    detail::refuse(UNKNOWN_AMINO_ACID, detail::Place::to_amino_acid_char);
  }
  return item >= 'a' && item <= 'z' ? char(item - 'a' + 'A') : item;
}

// The characters that the sequence-file readers keep.
inline bool Is_Nucleotide_Char(char item) noexcept {
  return detail::nucleotide_char[std::uint8_t(item)];
}
inline bool Is_Amino_Acid_Char(char item) noexcept {
  return detail::amino_acid_char[std::uint8_t(item)];
}
inline bool Is_Blank(char item) noexcept { return item == Blank; }

// First occurrence of Item in S. Not found: Found false and Index S's Last
// (S's First when S is empty).
void Find_Char(char item, strlib::Plain_View s, bool& found, std::int32_t& index) noexcept;

}  // namespace sequence_specifications
