// The randomisation test: the program-wide generator, in-place shuffles
// of code arrays, the rounds of shuffled re-alignments and the significance
// of a Z-score.
#pragma once

#include <cstdint>

#include "platform/random.h"
#include "kernel/sequence_alignment-kernel-call.h"
#include "kernel/sequence_alignment-kernel.h"
#include "sequence_specifications-basic.h"

namespace alignment_random {

// Uniform over the whole 32-bit signed range; reset from the clock at
// start-up. Tests reset it from a seed for repeatable runs.
platform::Uniform_Discrete& Program_Generator();

// Length random transpositions, from a local generator seeded by one draw
// of the program-wide generator (made on every call, an empty array too).
void Shuffle_Nucleotides(sequence_specifications::basic::Nucleotide_Array& codes);
void Shuffle_Amino_Acids(sequence_specifications::basic::Amino_Acid_Array& codes);

// Mean and population standard deviation of the Quality of Rounds (at
// least 1) re-alignments of the problem's window 1 with shuffled copies of
// its window 2, each round shuffling the copy the previous one left. The
// rounds are scored by the fastest pass the processor has, or by the one
// given (the statistics are the same).
struct Shuffle_Statistics {
  float mean = 0.0f;
  float std_dev = 0.0f;
};
Shuffle_Statistics Shuffled_Qualities(const sequence_alignment::kernel::Problem<sequence_alignment::kernel::Nucleic>& problem,
                                      std::int32_t rounds);
Shuffle_Statistics Shuffled_Qualities(const sequence_alignment::kernel::Problem<sequence_alignment::kernel::Protein>& problem,
                                      std::int32_t rounds);
Shuffle_Statistics Shuffled_Qualities(const sequence_alignment::kernel::Problem<sequence_alignment::kernel::Nucleic>& problem,
                                      std::int32_t rounds, sequence_alignment::kernel::Rounds_Pass pass);
Shuffle_Statistics Shuffled_Qualities(const sequence_alignment::kernel::Problem<sequence_alignment::kernel::Protein>& problem,
                                      std::int32_t rounds, sequence_alignment::kernel::Rounds_Pass pass);

// In percent: the smallest tabulated tail probability whose critical value
// Z exceeds strictly; 100.0 when none.
float Significance(float z_score);

}  // namespace alignment_random
