// The randomisation test's pieces: the program-wide generator, in-place
// shuffles of code arrays and the significance of a Z-score.
#pragma once

#include <cstdint>

#include "platform/random.h"
#include "sequence_specifications-basic.h"

namespace alignment_random {

// Uniform over the whole 32-bit signed range; reset from the clock at
// start-up. Tests reset it from a seed for repeatable runs.
platform::Uniform_Discrete& Program_Generator();

// Length random transpositions, from a local generator seeded by one draw
// of the program-wide generator (made on every call, an empty array too).
void Shuffle_Nucleotides(sequence_specifications::basic::Nucleotide_Array& codes);
void Shuffle_Amino_Acids(sequence_specifications::basic::Amino_Acid_Array& codes);

// In percent: the smallest tabulated tail probability whose critical value
// Z exceeds strictly; 100.0 when none.
float Significance(float z_score);

}  // namespace alignment_random
