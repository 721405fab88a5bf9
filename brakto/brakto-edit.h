// The editor's operations on a sequence held as text: extraction of
// position couples, translation into protein, random point mutations.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "brakto.h"
#include "sequence_specifications-basic.h"
#include "sequence_specifications.h"

namespace brakto::edit {

using sequence_specifications::basic::SEQUENCE_DATA;

namespace detail {
// The standard genetic code, codons in the order T C A G for each letter.
inline constexpr std::string_view standard_code =
    "FFLLSSSSYY**CC*W"
    "LLLLPPPPHHQQRRRR"
    "IIIMTTTTNNKKSSRR"
    "VVVVAAAADDEEGGGG";

constexpr std::array<char, 3375> codon_table() {
  std::array<char, 3375> table{};
  // A codon holding an ambiguous letter has no single amino acid.
  for (char& entry : table) entry = 'X';
  // Nucleotide codes of T, C, A, G (A 0, T 1, G 2, C 3).
  constexpr int code_of_tcag[4] = {1, 3, 0, 2};
  for (int first = 0; first < 4; ++first) {
    for (int second = 0; second < 4; ++second) {
      for (int third = 0; third < 4; ++third) {
        const int index = 225 * code_of_tcag[first] + 15 * code_of_tcag[second] + code_of_tcag[third];
        table[std::size_t(index)] = standard_code[std::size_t(16 * first + 4 * second + third)];
      }
    }
  }
  return table;
}
}  // namespace detail

// Indexed by 225 * c1 + 15 * c2 + c3, the nucleotide codes of a codon.
inline constexpr std::array<char, 3375> Codon_Table = detail::codon_table();

// Replaces Text by the concatenation of the couples' ranges, from 1 to the
// total length. A couple outside First..Last raises BRAKTO.OUT_OF_SEQUENCE
// and leaves the record as it was. An empty list changes nothing.
void Extract_Positions(SEQUENCE_DATA& sequence, const Couple_List& couples);

// Fills Protein's Text (1..n), Model, First and Last with the translation of
// the whole codons of Sequence's First..Last.
void Translate_To_Protein(const SEQUENCE_DATA& sequence, SEQUENCE_DATA& protein);

// Count point mutations within First..Last, one report line each on
// standard output. Seed 0 seeds from the clock.
void Mutate(SEQUENCE_DATA& sequence, std::int32_t count, std::int32_t seed);

}  // namespace brakto::edit
