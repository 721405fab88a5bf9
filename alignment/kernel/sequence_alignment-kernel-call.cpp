#include "kernel/sequence_alignment-kernel-call.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "kernel/sequence_alignment-kernel-cells.h"
#include "kernel/sequence_alignment-kernel-choice.h"
#include "kernel/sequence_alignment-kernel-column_lanes.h"
#include "kernel/sequence_alignment-kernel-couple_lanes.h"
#include "kernel/sequence_alignment-kernel-paths.h"
#include "kernel/sequence_alignment-kernel-scalar.h"
#include "kernel/sequence_alignment-kernel-traceback.h"

namespace sequence_alignment::kernel::call {

namespace {

// A pass asked for that this processor or the problem's bounds refuse.
template <class A>
void check(const Problem<A>& p, const Frame& frame, choice::Pass pass) {
  if (pass.width != choice::Lane_Width::SCALAR && !choice::runs(pass.set)) {
    platform::raise(standard::CONSTRAINT_ERROR, "fill pass not available on this processor");
  }
  if (!choice::fill_fits(*p.matrix, frame, pass.width)) {
    platform::raise(standard::CONSTRAINT_ERROR, "fill beyond the bound of the pass's lanes");
  }
}

// In vector lanes, else in 32 or 64 bits one cell at a time.
template <class A>
void fill_cells(const Problem<A>& p, cells::Cells& cells, cells::Start_Cells& starts, choice::Pass pass) {
  const Frame& frame = cells.frame();
  if (frame.exact()) {
    cells.allocate_gap_states();
  } else {
    cells.allocate_planes();
  }
  if (pass.width != choice::Lane_Width::SCALAR) {
    column_lanes::fill(p, cells, starts, pass);
  } else if (choice::scalar_in_32_bits(*p.matrix, frame)) {
    scalar::fill<A, std::int32_t>(p, cells, starts);
  } else {
    scalar::fill<A, std::int64_t>(p, cells, starts);
  }
}

template <class A>
alignment_results::Alignment_Array_Access alignments(const Problem<A>& problem, const Frame& frame,
                                                     const Path_Settings& settings, const Error_Context& context,
                                                     choice::Pass pass) {
  cells::Cells cells(frame);
  cells::Start_Cells starts;
  fill_cells(problem, cells, starts, pass);

  paths::Keeper keeper(settings.optimize);
  const traceback::Tracer tracer(cells, starts.quality, context);
  traceback::build(tracer, starts, frame, settings.building, settings.backward,
                   [&](const Path_Step* steps, std::int32_t n, Backward_Mode mode) { keeper.keep(steps, n, mode); });
  cells.release();
  return paths::results<A>(problem, frame, settings, starts.quality, context, keeper.take());
}

template <class A>
std::int32_t quality(const Problem<A>& problem, const Frame& frame, choice::Pass pass) {
  if (pass.width != choice::Lane_Width::SCALAR) return to_score(column_lanes::quality(problem, frame, pass));
  if (choice::scalar_in_32_bits(*problem.matrix, frame)) {
    return to_score(scalar::quality<A, std::int32_t>(problem, frame));
  }
  return to_score(scalar::quality<A, std::int64_t>(problem, frame));
}

bool too_long(const Frame& frame) noexcept { return frame.len1 > max_window || frame.len2 > max_window; }
bool empty(const Frame& frame) noexcept { return frame.len1 == 0 || frame.len2 == 0; }

}  // namespace

template <class A>
alignment_results::Alignment_Array_Access Compute_Alignments(const Problem<A>& problem, const Path_Settings& settings,
                                                             const Error_Context& context) {
  const Frame frame(problem);
  if (too_long(frame)) platform::raise(standard::STORAGE_ERROR, "alignment windows are limited to 65535 residues");
  if (empty(frame)) return std::make_unique<alignment_results::Alignment_Array>(1, 0);
  return alignments(problem, frame, settings, context, choice::fill_pass(*problem.matrix, frame));
}

template <class A>
alignment_results::Alignment_Array_Access Compute_Alignments(const Problem<A>& problem, const Path_Settings& settings,
                                                             const Error_Context& context, choice::Pass pass) {
  const Frame frame(problem);
  check(problem, frame, pass);
  if (too_long(frame)) platform::raise(standard::STORAGE_ERROR, "alignment windows are limited to 65535 residues");
  if (empty(frame)) return std::make_unique<alignment_results::Alignment_Array>(1, 0);
  return alignments(problem, frame, settings, context, pass);
}

template <class A>
std::int32_t Compute_Quality(const Problem<A>& problem) {
  const Frame frame(problem);
  if (empty(frame)) return 0;
  return quality(problem, frame, choice::fill_pass(*problem.matrix, frame));
}

template <class A>
std::int32_t Compute_Quality(const Problem<A>& problem, choice::Pass pass) {
  const Frame frame(problem);
  check(problem, frame, pass);
  if (empty(frame)) return 0;
  return quality(problem, frame, pass);
}

// What a lanes pass works in, made once for all the rounds.
template <class A>
struct Rounds<A>::Work {
  couple_lanes::Pass_Function<A> score_lanes;
  couple_lanes::Storage storage;
  std::vector<const typename A::code_type*> windows;
  std::uint32_t codes_used = 0;
};

template <class A>
Rounds<A>::Rounds(const Problem<A>& problem) : Rounds(problem, choice::fastest_rounds_pass(problem)) {}

template <class A>
Rounds<A>::Rounds(const Problem<A>& problem, Rounds_Pass pass) : problem_(problem), pass_(pass), batch_(1) {
  const choice::Pass how = choice::facts(pass).pass;
  if (!Runs_Here(pass)) platform::raise(standard::CONSTRAINT_ERROR, "rounds pass not available on this processor");
  if (!choice::rounds_fit(problem, how.width)) {
    platform::raise(standard::CONSTRAINT_ERROR, "rounds beyond the bound of the pass's lanes");
  }
  // Empty windows score 0 whatever the pass, as Compute_Quality has it.
  if (how.width == choice::Lane_Width::SCALAR || problem.codes_1.length() <= 0 || problem.codes_2.length() <= 0) {
    return;
  }
  batch_ = choice::lanes_of(how);
  // Only the codes of window 1 have a row of the profile.
  std::uint32_t codes_used = 0;
  for (std::int32_t k = 0; k < problem.codes_1.length(); ++k) {
    codes_used |= std::uint32_t(1) << int(problem.codes_1.codes[k]);
  }
  const couple_lanes::Layout plan = couple_lanes::layout_of(
      choice::lane_bits(how.width) / 8, choice::facts(how.set).vector_bytes,
      exact_gaps(problem.gap_weight, problem.gap_length_weight), couple_lanes::profile_rows<A>(codes_used));
  work_.reset(new Work{couple_lanes::function_of<A>(how),
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
                                         problem_.method,  work_->codes_used};
  std::int64_t scores[choice::max_batch];
  work_->score_lanes(couples, work_->storage.data(), scores);
  for (int k = 0; k < count; ++k) qualities[k] = to_score(scores[k]);
}

template alignment_results::Alignment_Array_Access Compute_Alignments<Nucleic>(const Problem<Nucleic>&,
                                                                               const Path_Settings&,
                                                                               const Error_Context&);
template alignment_results::Alignment_Array_Access Compute_Alignments<Protein>(const Problem<Protein>&,
                                                                               const Path_Settings&,
                                                                               const Error_Context&);
template alignment_results::Alignment_Array_Access Compute_Alignments<Nucleic>(const Problem<Nucleic>&,
                                                                               const Path_Settings&,
                                                                               const Error_Context&, choice::Pass);
template alignment_results::Alignment_Array_Access Compute_Alignments<Protein>(const Problem<Protein>&,
                                                                               const Path_Settings&,
                                                                               const Error_Context&, choice::Pass);
template std::int32_t Compute_Quality<Nucleic>(const Problem<Nucleic>&);
template std::int32_t Compute_Quality<Protein>(const Problem<Protein>&);
template std::int32_t Compute_Quality<Nucleic>(const Problem<Nucleic>&, choice::Pass);
template std::int32_t Compute_Quality<Protein>(const Problem<Protein>&, choice::Pass);
template class Rounds<Nucleic>;
template class Rounds<Protein>;

}  // namespace sequence_alignment::kernel::call
