#include "sequence_alignment-kernel-call.h"

#include <memory>

#include "sequence_alignment-kernel-cells.h"
#include "sequence_alignment-kernel-exact.h"
#include "sequence_alignment-kernel-fill.h"
#include "sequence_alignment-kernel-paths.h"
#include "sequence_alignment-kernel-score.h"
#include "sequence_alignment-kernel-traceback.h"

namespace sequence_alignment::kernel::call {

namespace {

template <class A, class S, bool Global, bool Weighted>
void fill_cells(const Problem<A>& p, cells::Cells& cells, cells::Start_Cells& starts) {
  if (cells.frame().exact()) {
    cells.allocate_gap_states();
    exact::fill<A, S, Global, Weighted>(p, cells, starts);
  } else {
    cells.allocate_planes();
    fill::fill<A, S, Global, Weighted>(p, cells, starts);
  }
}

template <class A, class S>
void fill_by_method(const Problem<A>& p, cells::Cells& cells, cells::Start_Cells& starts) {
  if (!p.global) {
    fill_cells<A, S, false, false>(p, cells, starts);
  } else if (p.end_weight) {
    fill_cells<A, S, true, true>(p, cells, starts);
  } else {
    fill_cells<A, S, true, false>(p, cells, starts);
  }
}

}  // namespace

template <class A>
alignment_results::Alignment_Array_Access Compute_Alignments(const Problem<A>& problem,
                                                             const Path_Settings& settings,
                                                             const Error_Context& context) {
  const Frame frame(problem);
  if (frame.len1 > max_window || frame.len2 > max_window) {
    platform::raise(standard::STORAGE_ERROR, "alignment windows are limited to 65535 residues");
  }
  if (frame.len1 == 0 || frame.len2 == 0) return std::make_unique<alignment_results::Alignment_Array>(1, 0);

  cells::Cells cells(frame);
  cells::Start_Cells starts;
  if (detail::scores_fit_32_bits(*problem.matrix, frame.len1, frame.len2, frame.g, frame.l)) {
    fill_by_method<A, std::int32_t>(problem, cells, starts);
  } else {
    fill_by_method<A, std::int64_t>(problem, cells, starts);
  }

  paths::Keeper keeper(settings.optimize);
  const traceback::Tracer tracer(cells, starts.quality, context);
  traceback::build(tracer, starts, frame, settings.building, settings.backward,
                   [&](const Path_Step* steps, std::int32_t n, Backward_Mode mode) { keeper.keep(steps, n, mode); });
  cells.release();
  return paths::results<A>(problem, frame, settings, starts.quality, context, keeper.take());
}

template <class A>
std::int32_t Compute_Quality(const Problem<A>& problem) {
  return detail::to_score(score::quality<A>(problem));
}

template alignment_results::Alignment_Array_Access Compute_Alignments<Nucleic>(const Problem<Nucleic>&,
                                                                               const Path_Settings&,
                                                                               const Error_Context&);
template alignment_results::Alignment_Array_Access Compute_Alignments<Protein>(const Problem<Protein>&,
                                                                               const Path_Settings&,
                                                                               const Error_Context&);
template std::int32_t Compute_Quality<Nucleic>(const Problem<Nucleic>&);
template std::int32_t Compute_Quality<Protein>(const Problem<Protein>&);

}  // namespace sequence_alignment::kernel::call
