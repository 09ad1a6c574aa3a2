#include "analysis/lumped_cascade.h"

#include <cstddef>

#include "analysis/chain_kernel.h"
#include "analysis/elements.h"

namespace mx {
namespace {

// The ladder at N frequencies, the N products of each position side by side.
template <int N>
void cascades(const LumpedLadder& l, const float (&f)[N], TwoPort* rs) {
  float w[N];
  ChainState c[N];
  for_each_chain<N>([&](int j) {
    w[j] = angular(f[j]);
    c[j] = chain_identity();
  });
  for (std::size_t k = 0; k < static_cast<std::size_t>(l.count); ++k) {
    const float v = l.value[k];
    if (l.series[k]) {
      for_each_chain<N>(
          [&](int j) { c[j] = times(c[j], series_factor(series_l_reactance(w[j], v))); });
    } else {
      for_each_chain<N>(
          [&](int j) { c[j] = times(c[j], shunt_factor(shunt_c_susceptance(w[j], v))); });
    }
  }
  for_each_chain<N>([&](int j) { rs[j] = to_two_port(c[j]); });
}

}  // namespace

LumpedLadder lumped_ladder(const DesignRecord& ds) {
  LumpedLadder l;
  bool series_next = ds.control.configuration == Configuration::kDual;
  for (int k = 1; k <= ds.design.sections; ++k) {
    const float v = series_next ? ds.ladder.series_nh(k) : ds.ladder.shunt_pf(k);
    const auto slot = static_cast<std::size_t>(k - 1);
    l.value[slot] = v;
    l.series[slot] = series_next;
    l.count = k;
    series_next = !series_next;
  }
  return l;
}

void lumped_cascade(const LumpedLadder& ladder, float f, TwoPort& rs) {
  const float fs[1] = {f};
  cascades<1>(ladder, fs, &rs);
}

void lumped_cascades(const LumpedLadder& ladder, float f1, float f2, TwoPort& rs1, TwoPort& rs2) {
  const float fs[2] = {f1, f2};
  TwoPort out[2];
  cascades<2>(ladder, fs, out);
  rs1 = out[0];
  rs2 = out[1];
}

void lumped_cascade(const DesignRecord& ds, float f, TwoPort& rs) {
  lumped_cascade(lumped_ladder(ds), f, rs);
}

}  // namespace mx
