#include "brakto-edit.h"

#include <algorithm>
#include <limits>
#include <string>

#include "platform/random.h"
#include "platform/text_io.h"
#include "strlib.h"

namespace brakto::edit {

using sequence_specifications::Nucleotide;
using sequence_specifications::Nucleotide_Image;
using sequence_specifications::To_Nucleotide;

void Extract_Positions(SEQUENCE_DATA& sequence, const Couple_List& couples) {
  if (couples.Is_Empty()) return;
  Check_Working_Range(sequence);
  // Every couple is checked before anything is allocated, so a refused list
  // leaves the record as it was.
  std::int64_t total = 0;
  for (const Position_Couple* c = couples.First(); c; c = c->Next) {
    if (c->Stop > sequence.Last || c->Start < sequence.First) {
      Raise_At(OUT_OF_SEQUENCE, Place::couple_outside);
    }
    total += std::int64_t(c->Stop) - c->Start + 1;
  }
  if (total > std::numeric_limits<std::int32_t>::max()) {
    platform::raise(standard::CONSTRAINT_ERROR,
                    "the couples add up to " + std::to_string(total) + " positions, too many for one sequence");
  }
  strlib::String_Pointer text = strlib::String_Pointer::make(1, std::int32_t(total));
  char* next = text.data();
  for (const Position_Couple* c = couples.First(); c; c = c->Next) {
    const std::int32_t length = c->Stop - c->Start + 1;
    next = std::copy_n(&sequence.Text(c->Start), length, next);
  }
  sequence.Text = std::move(text);
  sequence.First = 1;
  sequence.Last = std::int32_t(total);
}

void Translate_To_Protein(const SEQUENCE_DATA& sequence, SEQUENCE_DATA& protein) {
  Check_Working_Range(sequence);
  // Truncates towards zero: one or two bases after the last codon are dropped.
  const std::int32_t n = std::int32_t((std::int64_t(sequence.Last) - sequence.First + 1) / 3);
  protein.Text = strlib::String_Pointer::make(1, n);
  for (std::int32_t k = 1; k <= n; ++k) {
    const std::int32_t p = std::int32_t(sequence.First + 3 * (std::int64_t(k) - 1));
    const int c1 = int(To_Nucleotide(sequence.Text(p)));
    const int c2 = int(To_Nucleotide(sequence.Text(p + 1)));
    const int c3 = int(To_Nucleotide(sequence.Text(p + 2)));
    protein.Text(k) = Codon_Table[std::size_t(225 * c1 + 15 * c2 + c3)];
  }
  protein.Model = sequence_specifications::Sequence_Model::PROTEIN;
  protein.First = 1;
  protein.Last = n;
}

void Mutate(SEQUENCE_DATA& sequence, std::int32_t count, std::int32_t seed) {
  platform::Uniform_Discrete position(sequence.First, sequence.Last);
  platform::Uniform_Discrete base{std::int64_t(Nucleotide::A), std::int64_t(Nucleotide::C)};
  if (seed != 0) {
    position.reset(seed);
    // Wraps at the top of the range rather than overflowing.
    base.reset(std::int32_t(std::uint32_t(seed) + 1u));
  } else {
    // Two resets from the clock in the same instant would give both
    // generators the same stream; one clock-seeded draw seeds each instead.
    platform::Uniform_Discrete seeder(std::numeric_limits<std::int32_t>::min(),
                                      std::numeric_limits<std::int32_t>::max());
    seeder.reset_from_clock();
    position.reset(std::int32_t(seeder.random()));
    base.reset(std::int32_t(seeder.random()));
  }
  if (count <= 0) return;
  Check_Working_Range(sequence);
  platform::Output_File& out = platform::standard_output();
  for (std::int32_t done = 0; done < count; ++done) {
    const std::int32_t p = std::int32_t(position.random());
    const char old_letter = sequence.Text(p);
    const Nucleotide old_code = To_Nucleotide(old_letter);
    Nucleotide new_code;
    do {
      new_code = Nucleotide(base.random());
    } while (new_code == old_code);
    const char new_letter = Nucleotide_Image(new_code);
    std::string line = "Mutation a la position";
    line += platform::integer_image(p);
    line += " par '";
    line += new_letter;
    line += "' a la place de '";
    line += old_letter;
    line += "'";
    out.put_line(line);
    sequence.Text(p) = new_letter;
  }
}

}  // namespace brakto::edit
