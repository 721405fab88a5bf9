#include "kernel/sequence_alignment-kernel-call.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "kernel/sequence_alignment-kernel-cells.h"
#include "kernel/sequence_alignment-kernel-column_lanes.h"
#include "kernel/sequence_alignment-kernel-couple_lanes.h"
#include "kernel/sequence_alignment-kernel-paths.h"
#include "kernel/sequence_alignment-kernel-scalar.h"
#include "kernel/sequence_alignment-kernel-traceback.h"

namespace sequence_alignment::kernel::call {

namespace {

// In vector lanes when their width keeps the values exact, else in 32 or
// 64 bits one cell at a time.
template <class A>
void fill_cells(const Problem<A>& p, cells::Cells& cells, cells::Start_Cells& starts) {
  const Frame& frame = cells.frame();
  if (frame.exact()) {
    cells.allocate_gap_states();
  } else {
    cells.allocate_planes();
  }
  if (const int bits = column_lanes::lane_bits(*p.matrix, frame)) {
    column_lanes::fill(p, cells, starts, {column_lanes::widest(), bits});
  } else if (bounds::scores_fit_32_bits(*p.matrix, frame.len1, frame.len2, frame.g, frame.l)) {
    scalar::fill<A, std::int32_t>(p, cells, starts);
  } else {
    scalar::fill<A, std::int64_t>(p, cells, starts);
  }
}

}  // namespace

template <class A>
alignment_results::Alignment_Array_Access Compute_Alignments(const Problem<A>& problem, const Path_Settings& settings,
                                                             const Error_Context& context) {
  const Frame frame(problem);
  if (frame.len1 > max_window || frame.len2 > max_window) {
    platform::raise(standard::STORAGE_ERROR, "alignment windows are limited to 65535 residues");
  }
  if (frame.len1 == 0 || frame.len2 == 0) return std::make_unique<alignment_results::Alignment_Array>(1, 0);

  cells::Cells cells(frame);
  cells::Start_Cells starts;
  fill_cells(problem, cells, starts);

  paths::Keeper keeper(settings.optimize);
  const traceback::Tracer tracer(cells, starts.quality, context);
  traceback::build(tracer, starts, frame, settings.building, settings.backward,
                   [&](const Path_Step* steps, std::int32_t n, Backward_Mode mode) { keeper.keep(steps, n, mode); });
  cells.release();
  return paths::results<A>(problem, frame, settings, starts.quality, context, keeper.take());
}

template <class A>
std::int32_t Compute_Quality(const Problem<A>& problem) {
  const Frame frame(problem);
  if (frame.len1 == 0 || frame.len2 == 0) return 0;
  if (const int bits = column_lanes::lane_bits(*problem.matrix, frame)) {
    return to_score(column_lanes::quality(problem, frame, {column_lanes::widest(), bits}));
  }
  if (bounds::scores_fit_32_bits(*problem.matrix, frame.len1, frame.len2, frame.g, frame.l)) {
    return to_score(scalar::quality<A, std::int32_t>(problem, frame));
  }
  return to_score(scalar::quality<A, std::int64_t>(problem, frame));
}

namespace {

// A lanes pass as the fills name theirs, an instruction set and 16 or 32
// bits a lane; 0 bits for the 64-bit pass.
column_lanes::Choice choice_of(Rounds_Pass pass) noexcept {
  using column_lanes::Instruction_Set;
  switch (pass) {
    case Rounds_Pass::generic_16:
      return {Instruction_Set::GENERIC, 16};
    case Rounds_Pass::generic_32:
      return {Instruction_Set::GENERIC, 32};
    case Rounds_Pass::avx2_16:
      return {Instruction_Set::AVX2, 16};
    case Rounds_Pass::avx2_32:
      return {Instruction_Set::AVX2, 32};
    case Rounds_Pass::avx512_16:
      return {Instruction_Set::AVX512BW, 16};
    case Rounds_Pass::avx512_32:
      return {Instruction_Set::AVX512BW, 32};
    default:
      return {Instruction_Set::GENERIC, 0};
  }
}

// In bytes.
int vector_size(column_lanes::Instruction_Set set) noexcept {
  return set == column_lanes::Instruction_Set::AVX512BW ? 64 : set == column_lanes::Instruction_Set::AVX2 ? 32 : 16;
}

// Whether the lanes of the pass hold every value of the problem's
// recurrences (64 bits are refused only later, for a final score beyond 32).
template <class A>
bool fits(const Problem<A>& p, Rounds_Pass pass) noexcept {
  const int bits = choice_of(pass).lane_bits;
  if (bits == 0) return true;
  const std::int32_t len1 = p.codes_1.length(), len2 = p.codes_2.length();
  if (bits == 16) {
    return bounds::scores_fit_16_bits(*p.matrix, len1, len2, p.gap_weight, p.gap_length_weight, is_global(p.method));
  }
  return bounds::scores_fit_32_bits(*p.matrix, len1, len2, p.gap_weight, p.gap_length_weight);
}

// Fastest first.
constexpr Rounds_Pass rounds_passes[] = {Rounds_Pass::avx512_16, Rounds_Pass::avx2_16, Rounds_Pass::generic_16,
                                         Rounds_Pass::avx512_32, Rounds_Pass::avx2_32, Rounds_Pass::generic_32,
                                         Rounds_Pass::scalar_64};

template <class A>
Rounds_Pass fastest_pass(const Problem<A>& p) noexcept {
  for (const Rounds_Pass pass : rounds_passes) {
    if (Runs_Here(pass) && fits(p, pass)) return pass;
  }
  return Rounds_Pass::scalar_64;
}

template <class A>
using Lanes_Pass = void (*)(const couple_lanes::Couples<A>&, void*, std::int64_t*);

template <class A>
Lanes_Pass<A> lanes_pass(Rounds_Pass pass) noexcept {
  switch (pass) {
    case Rounds_Pass::generic_32:
      return couple_lanes::generic_pass<A, std::int32_t>;
    case Rounds_Pass::generic_16:
      return couple_lanes::generic_pass<A, std::int16_t>;
#ifdef SEQUENCE_ALIGNMENT_X86
    case Rounds_Pass::avx2_32:
      return couple_lanes::avx2_pass<A, std::int32_t>;
    case Rounds_Pass::avx2_16:
      return couple_lanes::avx2_pass<A, std::int16_t>;
    case Rounds_Pass::avx512_32:
      return couple_lanes::avx512_pass<A, std::int32_t>;
    case Rounds_Pass::avx512_16:
      return couple_lanes::avx512_pass<A, std::int16_t>;
#endif
    default:
      return nullptr;
  }
}

}  // namespace

bool Runs_Here(Rounds_Pass pass) noexcept {
  if (pass == Rounds_Pass::scalar_64) return true;
  const column_lanes::Choice choice = choice_of(pass);
  return choice.lane_bits != 0 && column_lanes::runs(choice.set);
}

// What a lanes pass works in, made once for all the rounds.
template <class A>
struct Rounds<A>::Work {
  Lanes_Pass<A> run;
  couple_lanes::Storage storage;
  std::vector<const typename A::code_type*> windows;
  std::uint32_t codes_used = 0;
};

template <class A>
Rounds<A>::Rounds(const Problem<A>& problem) : Rounds(problem, fastest_pass(problem)) {}

template <class A>
Rounds<A>::Rounds(const Problem<A>& problem, Rounds_Pass pass) : problem_(problem), pass_(pass), batch_(1) {
  if (!Runs_Here(pass)) platform::raise(standard::CONSTRAINT_ERROR, "rounds pass not available on this processor");
  if (!fits(problem, pass)) platform::raise(standard::CONSTRAINT_ERROR, "rounds beyond the bound of the pass's lanes");
  // Empty windows score 0 whatever the pass, as Compute_Quality has it.
  if (pass == Rounds_Pass::scalar_64 || problem.codes_1.length() <= 0 || problem.codes_2.length() <= 0) return;
  const column_lanes::Choice choice = choice_of(pass);
  batch_ = vector_size(choice.set) * 8 / choice.lane_bits;
  // Only the codes of window 1 have a row of the profile.
  std::uint32_t codes_used = 0;
  for (std::int32_t k = 0; k < problem.codes_1.length(); ++k) {
    codes_used |= std::uint32_t(1) << int(problem.codes_1.codes[k]);
  }
  const couple_lanes::Layout plan = couple_lanes::layout_of(choice.lane_bits / 8, vector_size(choice.set),
                                                            exact_gaps(problem.gap_weight, problem.gap_length_weight),
                                                            couple_lanes::profile_rows<A>(codes_used));
  work_.reset(new Work{lanes_pass<A>(pass),
                       couple_lanes::Storage(couple_lanes::storage_size(plan, problem.codes_2.length())),
                       std::vector<const typename A::code_type*>(static_cast<std::size_t>(batch_)), codes_used});
}

template <class A>
std::size_t Rounds<A>::storage() const noexcept {
  return work_ ? work_->storage.size() : 0;
}

template <class A>
Rounds<A>::Rounds(Rounds&&) noexcept = default;
template <class A>
Rounds<A>::~Rounds() = default;

template <class A>
void Rounds<A>::score(const typename A::code_type* const* windows, int count, std::int32_t* qualities) {
  if (count < 0 || count > batch_) platform::raise(standard::CONSTRAINT_ERROR, "more windows than the rounds' lanes");
  if (count == 0) return;
  if (!work_) {
    Problem<A> one = problem_;
    for (int k = 0; k < count; ++k) {
      one.codes_2.codes = windows[k];
      qualities[k] = Compute_Quality<A>(one);
    }
    return;
  }
  // Lanes beyond Count repeat the last window and are not read.
  for (int lane = 0; lane < batch_; ++lane) work_->windows[std::size_t(lane)] = windows[std::min(lane, count - 1)];
  const couple_lanes::Couples<A> couples{problem_.codes_1, problem_.codes_2.length(), work_->windows.data(),
                                         problem_.matrix,  problem_.gap_weight,       problem_.gap_length_weight,
                                         problem_.method,       work_->codes_used};
  std::int64_t scores[32];
  work_->run(couples, work_->storage.data(), scores);
  for (int k = 0; k < count; ++k) qualities[k] = to_score(scores[k]);
}

template alignment_results::Alignment_Array_Access Compute_Alignments<Nucleic>(const Problem<Nucleic>&,
                                                                               const Path_Settings&,
                                                                               const Error_Context&);
template alignment_results::Alignment_Array_Access Compute_Alignments<Protein>(const Problem<Protein>&,
                                                                               const Path_Settings&,
                                                                               const Error_Context&);
template std::int32_t Compute_Quality<Nucleic>(const Problem<Nucleic>&);
template std::int32_t Compute_Quality<Protein>(const Problem<Protein>&);
template class Rounds<Nucleic>;
template class Rounds<Protein>;

}  // namespace sequence_alignment::kernel::call
