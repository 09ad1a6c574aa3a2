#include "analysis/ladder_figures.h"

#include <algorithm>
#include <vector>

#include "analysis/lumped_cascade.h"
#include "analysis/port_figures.h"

namespace mx {
namespace {

// Points per FC1 of the grid the figures are read from.
constexpr int kPointsPerCutoff = 400;
// The stopband is searched up to this many FC1.
constexpr float kStopbandSpan = 10.0f;

float loss_at(const LumpedLadder& l, const PortTerms& terms, float f) {
  TwoPort rs;
  lumped_cascade(l, f, rs);
  return -port_figures(rs, terms).loss_db;
}

}  // namespace

LadderFigures ladder_figures(const DesignRecord& ds, float edge_db, float stop_mhz) {
  const LumpedLadder l = lumped_ladder(ds);
  const float zo = ds.design.system_impedance;
  const float load = ds.control.configuration == Configuration::kDual ? ds.ladder.load_dual
                                                                      : ds.ladder.load_standard;
  const PortTerms terms = port_terms(Terminations{zo, 0.0f, load, 0.0f});
  const float fc = ds.design.cutoff_mhz;
  const float step = fc / static_cast<float>(kPointsPerCutoff);
  LadderFigures out;
  float last_in = 0.0f;
  for (float f = step; f < stop_mhz; f += step) {
    const float loss = loss_at(l, terms, f);
    if (f <= fc) out.ripple_db = std::max(out.ripple_db, loss);
    if (loss <= edge_db) last_in = f;
  }
  // The edge between the last grid point within the level and the next, by bisection.
  float lo = last_in, hi = last_in + step;
  for (int i = 0; i < 40; ++i) {
    const float mid = 0.5f * (lo + hi);
    (loss_at(l, terms, mid) <= edge_db ? lo : hi) = mid;
  }
  out.passband_edge_mhz = lo;
  out.stopband_db = loss_at(l, terms, stop_mhz);
  for (float f = stop_mhz; f <= kStopbandSpan * fc; f += step)
    out.stopband_db = std::min(out.stopband_db, loss_at(l, terms, f));
  return out;
}

}  // namespace mx
