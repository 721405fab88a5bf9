#include "alignment_random.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "kernel/sequence_alignment-kernel-call.h"

namespace alignment_random {

namespace {

struct Significance_Row {
  float p;  // two-sided tail probability of the standard normal law
  float z;  // its critical value
};

// Falling critical values, so the first row that Z exceeds gives the
// smallest tabulated probability.
constexpr std::array<Significance_Row, 31> significance_table{{
    {1e-09f, 6.10941f}, {1e-08f, 5.73073f}, {1e-07f, 5.32672f}, {1e-06f, 4.89164f},
    {1e-05f, 4.41717f}, {0.0001f, 3.89059f}, {0.001f, 3.29053f}, {0.01f, 2.576f},
    {0.02f, 2.326f},    {0.03f, 2.17f},      {0.04f, 2.054f},   {0.05f, 1.96f},
    {0.06f, 1.881f},    {0.07f, 1.812f},     {0.08f, 1.751f},   {0.09f, 1.695f},
    {0.1f, 1.645f},     {0.15f, 1.44f},      {0.2f, 1.282f},    {0.25f, 1.15f},
    {0.3f, 1.036f},     {0.35f, 0.935f},     {0.4f, 0.842f},    {0.45f, 0.755f},
    {0.5f, 0.674f},     {0.6f, 0.524f},      {0.7f, 0.385f},    {0.8f, 0.253f},
    {0.9f, 0.126f},     {0.99f, 0.013f},     {1.0f, 0.0f},
}};

constexpr float percent = 100.0f;

template <class Array>
void shuffle(Array& codes) {
  // The draw comes first, whatever the array, so that every shuffle moves
  // the program-wide generator by exactly one step.
  const auto seed = std::int32_t(Program_Generator().random());
  if (codes.is_null() || codes.last() < codes.first()) return;
  platform::Uniform_Discrete seeded(codes.first(), codes.last());
  seeded.reset(seed);
  // Drawn from a copy whose address never leaves this function: the swaps
  // store bytes, which may alias any object that has been seen elsewhere,
  // and would keep the generator's state out of registers.
  platform::Uniform_Discrete local = seeded;
  const std::int64_t length = std::int64_t(codes.last()) - codes.first() + 1;
  for (std::int64_t step = 0; step < length; ++step) {
    const auto i = std::int32_t(local.random());
    const auto j = std::int32_t(local.random());
    std::swap(codes(i), codes(j));
  }
}

}  // namespace

platform::Uniform_Discrete& Program_Generator() {
  static platform::Uniform_Discrete generator = [] {
    platform::Uniform_Discrete made(std::numeric_limits<std::int32_t>::min(),
                                    std::numeric_limits<std::int32_t>::max());
    made.reset_from_clock();
    return made;
  }();
  return generator;
}

void Shuffle_Nucleotides(sequence_specifications::basic::Nucleotide_Array& codes) {
  shuffle(codes);
}

void Shuffle_Amino_Acids(sequence_specifications::basic::Amino_Acid_Array& codes) {
  shuffle(codes);
}

float Significance(float z_score) {
  for (const Significance_Row& row : significance_table) {
    if (z_score > row.z) return percent * row.p;
  }
  return percent;
}

namespace {

void shuffle_codes(sequence_specifications::basic::Nucleotide_Array& codes) { Shuffle_Nucleotides(codes); }
void shuffle_codes(sequence_specifications::basic::Amino_Acid_Array& codes) { Shuffle_Amino_Acids(codes); }

// A round needs only the score of the path Building ONE would build; the
// rounds' pass gives it, several rounds at once.
template <class A>
Shuffle_Statistics shuffled_qualities(sequence_alignment::kernel::Rounds<A> scorer,
                                      const sequence_alignment::kernel::Problem<A>& problem, std::int32_t rounds) {
  using Code = typename A::code_type;
  auto shuffled = platform::Heap_Array<Code>::copy_of(problem.codes_2.codes, problem.codes_2.length(),
                                                      problem.codes_2.first);
  std::int64_t sum = 0, sum_of_squares = 0;
  const auto add = [&](std::int64_t q) {
    if (__builtin_add_overflow(sum, q, &sum) || __builtin_add_overflow(sum_of_squares, q * q, &sum_of_squares)) {
      platform::raise(standard::CONSTRAINT_ERROR, "randomisation sums beyond 64 bits");
    }
  };
  // The shuffles are drawn in order, each from the copy the previous one
  // left, one window of the batch each; the batch is then scored at once.
  // The last window of a batch is the copy itself, which the next shuffle
  // changes only after the batch is scored.
  const std::size_t len2 = std::size_t(std::max(0, problem.codes_2.length()));
  const int width = scorer.batch();
  std::vector<Code> batch(std::size_t(width - 1) * len2);
  std::vector<const Code*> windows(static_cast<std::size_t>(width));
  std::vector<std::int32_t> qualities(static_cast<std::size_t>(width));
  for (std::int32_t done = 0; done < rounds;) {
    const int count = int(std::min<std::int32_t>(width, rounds - done));
    for (int lane = 0; lane < count; ++lane) {
      shuffle_codes(shuffled);
      if (lane == count - 1) {
        windows[std::size_t(lane)] = shuffled.data();
      } else {
        Code* const window = batch.data() + std::size_t(lane) * len2;
        std::copy(shuffled.data(), shuffled.data() + len2, window);
        windows[std::size_t(lane)] = window;
      }
    }
    scorer.score(windows.data(), count, qualities.data());
    for (int lane = 0; lane < count; ++lane) add(qualities[std::size_t(lane)]);
    done += count;
  }
  const double n = double(rounds);
  Shuffle_Statistics statistics;
  statistics.mean = float(double(sum) / n);
  // n Sum2 - Sum Sum, exact in 128 bits (n and every score are below 2^31,
  // so both products stay below 2^124): equal scores give exactly 0, and
  // no rounding can make it negative.
  const __int128 spread = __int128(rounds) * sum_of_squares - __int128(sum) * sum;
  statistics.std_dev = std::sqrt(float(double(spread) / n / n));
  return statistics;
}

}  // namespace

Shuffle_Statistics Shuffled_Qualities(const sequence_alignment::kernel::Problem<sequence_alignment::kernel::Nucleic>& problem,
                                      std::int32_t rounds) {
  return shuffled_qualities(sequence_alignment::kernel::Rounds(problem), problem, rounds);
}

Shuffle_Statistics Shuffled_Qualities(const sequence_alignment::kernel::Problem<sequence_alignment::kernel::Protein>& problem,
                                      std::int32_t rounds) {
  return shuffled_qualities(sequence_alignment::kernel::Rounds(problem), problem, rounds);
}

Shuffle_Statistics Shuffled_Qualities(const sequence_alignment::kernel::Problem<sequence_alignment::kernel::Nucleic>& problem,
                                      std::int32_t rounds, sequence_alignment::kernel::Rounds_Pass pass) {
  return shuffled_qualities(sequence_alignment::kernel::Rounds(problem, pass), problem, rounds);
}

Shuffle_Statistics Shuffled_Qualities(const sequence_alignment::kernel::Problem<sequence_alignment::kernel::Protein>& problem,
                                      std::int32_t rounds, sequence_alignment::kernel::Rounds_Pass pass) {
  return shuffled_qualities(sequence_alignment::kernel::Rounds(problem, pass), problem, rounds);
}

}  // namespace alignment_random
