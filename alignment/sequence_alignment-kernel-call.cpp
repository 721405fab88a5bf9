#include "sequence_alignment-kernel-call.h"

#include <memory>

#include "sequence_alignment-kernel-cells.h"
#include "sequence_alignment-kernel-exact.h"
#include "sequence_alignment-kernel-fill.h"
#include "sequence_alignment-kernel-paths.h"
#include "sequence_alignment-kernel-score.h"
#include "sequence_alignment-kernel-traceback.h"
#include "sequence_alignment-kernel-vector.h"

namespace sequence_alignment::kernel::call {

namespace {

template <class A, class S, bool Global, bool Weighted>
void scalar_fill(const Problem<A>& p, cells::Cells& cells, cells::Start_Cells& starts) {
  if (cells.frame().exact()) {
    exact::fill<A, S, Global, Weighted>(p, cells, starts);
  } else {
    fill::fill<A, S, Global, Weighted>(p, cells, starts);
  }
}

template <class A, class S>
void fill_by_method(const Problem<A>& p, cells::Cells& cells, cells::Start_Cells& starts) {
  if (!p.global) {
    scalar_fill<A, S, false, false>(p, cells, starts);
  } else if (p.end_weight) {
    scalar_fill<A, S, true, true>(p, cells, starts);
  } else {
    scalar_fill<A, S, true, false>(p, cells, starts);
  }
}

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
  if (const int bits = vector::lane_bits(*p.matrix, frame)) {
    vector::fill(p, cells, starts, {vector::widest(), bits});
  } else if (detail::scores_fit_32_bits(*p.matrix, frame.len1, frame.len2, frame.g, frame.l)) {
    fill_by_method<A, std::int32_t>(p, cells, starts);
  } else {
    fill_by_method<A, std::int64_t>(p, cells, starts);
  }
}

}  // namespace

template <class A>
alignment_results::Alignment_Array_Access Compute_Alignments(const Problem<A>& problem,
                                                             const Path_Settings& settings,
                                                             const Instance& instance) {
  const Frame frame(problem);
  if (frame.len1 > max_window || frame.len2 > max_window) {
    platform::raise(standard::STORAGE_ERROR, "alignment windows are limited to 65535 residues");
  }
  if (frame.len1 == 0 || frame.len2 == 0) return std::make_unique<alignment_results::Alignment_Array>(1, 0);

  cells::Cells cells(frame);
  cells::Start_Cells starts;
  fill_cells(problem, cells, starts);

  paths::Keeper keeper(settings.optimize);
  const traceback::Tracer tracer(cells, starts.quality, instance);
  traceback::build(tracer, starts, frame, settings.building, settings.backward,
                   [&](const Path_Step* steps, std::int32_t n, Backward_Mode mode) { keeper.keep(steps, n, mode); });
  cells.release();
  return paths::results<A>(problem, frame, settings, starts.quality, instance, keeper.take());
}

template <class A>
std::int32_t Compute_Quality(const Problem<A>& problem) {
  const Frame frame(problem);
  if (frame.len1 > 0 && frame.len2 > 0) {
    if (const int bits = vector::lane_bits(*problem.matrix, frame)) {
      return detail::to_score(vector::quality(problem, frame, {vector::widest(), bits}));
    }
  }
  return detail::to_score(score::quality<A>(problem));
}

template alignment_results::Alignment_Array_Access Compute_Alignments<Nucleic>(const Problem<Nucleic>&,
                                                                               const Path_Settings&,
                                                                               const Instance&);
template alignment_results::Alignment_Array_Access Compute_Alignments<Protein>(const Problem<Protein>&,
                                                                               const Path_Settings&,
                                                                               const Instance&);
template std::int32_t Compute_Quality<Nucleic>(const Problem<Nucleic>&);
template std::int32_t Compute_Quality<Protein>(const Problem<Protein>&);

}  // namespace sequence_alignment::kernel::call
