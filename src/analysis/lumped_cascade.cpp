#include "analysis/lumped_cascade.h"

#include <cstddef>
#include <tuple>

#include "analysis/chain_kernel.h"
#include "analysis/elements.h"

namespace mx {
namespace {

// The reactance (series) or susceptance (shunt) of position k at w.
float arm_value(const LumpedLadder& l, std::size_t k, float w) {
  const float v = l.value[k];
  const float own = l.series[k] ? series_l_reactance(w, v) : shunt_c_susceptance(w, v);
  const float p = l.partner[k];
  if (p == 0.0f) return own;
  return resonant_arm(own, l.series[k] ? shunt_c_susceptance(w, p) : series_l_reactance(w, p));
}

// The ladder at one angular frequency w, by full products.
ChainState full_chain(const LumpedLadder& l, float w) {
  ChainState c = chain_identity();
  for (std::size_t k = 0; k < static_cast<std::size_t>(l.count); ++k) {
    const float x = arm_value(l, k, w);
    c = l.series[k] ? times(c, series_factor(x)) : times(c, shunt_factor(x));
  }
  return c;
}

constexpr std::size_t kPositions = std::tuple_size_v<decltype(LumpedLadder::value)>;

// The element values of the ladder at N angular frequencies: x[j][k] the
// reactance (ohm) or susceptance (S) of position k at w[j].
template <int N>
[[gnu::always_inline]] inline void element_values(const LumpedLadder& l, const float* w,
                                                  float (*x)[kPositions]) {
  for (std::size_t k = 0; k < static_cast<std::size_t>(l.count); ++k) {
    const float v = l.value[k];
    if (l.series[k]) {
      for (int j = 0; j < N; ++j) x[j][k] = series_l_reactance(w[j], v);
    } else {
      for (int j = 0; j < N; ++j) x[j][k] = shunt_c_susceptance(w[j], v);
    }
    if (l.partner[k] != 0.0f)
      for (int j = 0; j < N; ++j) x[j][k] = arm_value(l, k, w[j]);
  }
}

// The first element, and one of the other kind than the one before, take the
// products that rely on it (chain_kernel.h).
bool after_other_kind(const LumpedLadder& l, std::size_t k) {
  return k == 0 || l.series[k] != l.series[k - 1];
}

// The ladder at N frequencies, the N products of each position side by side,
// shortened (chain_kernel.h); a chain that ends with a NaN is done again in
// full. The element values at each frequency come first, so that the
// products run on values from memory.
template <int N>
void cascades(const LumpedLadder& l, const float* f, TwoPort* rs) {
  float w[N];
  ChainState c[N];
  for_each_chain<N>([&](int j) {
    w[j] = angular(f[j]);
    c[j] = chain_identity();
  });
  float x[N][kPositions];
  element_values<N>(l, w, x);
  for (std::size_t k = 0; k < static_cast<std::size_t>(l.count); ++k) {
    const bool alternate = after_other_kind(l, k);
    if (l.series[k] && alternate) {
      for_each_chain<N>([&](int j) { c[j] = times_series_after_shunt(c[j], x[j][k]); });
    } else if (l.series[k]) {
      for_each_chain<N>([&](int j) { c[j] = times_series(c[j], x[j][k]); });
    } else if (alternate) {
      for_each_chain<N>([&](int j) { c[j] = times_shunt_after_series(c[j], x[j][k]); });
    } else {
      for_each_chain<N>([&](int j) { c[j] = times_shunt(c[j], x[j][k]); });
    }
  }
  for_each_chain<N>([&](int j) {
    if (holds_nan(c[j])) c[j] = full_chain(l, w[j]);
    rs[j] = to_two_port(c[j]);
  });
}

#if MX_CHAIN_AVX
// cascades<4> with the four chains in two AVX pairs: the same bits.
MX_CHAIN_AVX_CODE void cascades4_avx(const LumpedLadder& l, const float* f, TwoPort* rs) {
  // (Plain loops: the body of a lambda would not be compiled for AVX.)
  float w[4];
  for (int j = 0; j < 4; ++j) w[j] = angular(f[j]);
  // The element values of two chains at once: (w nh) x kOhmPerNanohenry or
  // (w pf) x kSiemensPerPicofarad in the lanes of each chain, as
  // series_l_reactance and shunt_c_susceptance give them.
  const __m256 w_pair[2] = {chain_avx::join(_mm_set1_ps(w[0]), _mm_set1_ps(w[1])),
                            chain_avx::join(_mm_set1_ps(w[2]), _mm_set1_ps(w[3]))};
  const ChainState id = chain_identity();
  ChainPair p[2] = {pair_of(id, id), pair_of(id, id)};
  for (std::size_t k = 0; k < static_cast<std::size_t>(l.count); ++k) {
    const bool alternate = after_other_kind(l, k);
    const __m256 v = _mm256_set1_ps(l.value[k]);
    if (l.series[k]) {
      const __m256 unit = _mm256_set1_ps(kOhmPerNanohenry);
      for (int q = 0; q < 2; ++q) {
        const __m256 x =
            chain_avx::imaginary_lanes(_mm256_mul_ps(_mm256_mul_ps(w_pair[q], v), unit));
        p[q] = alternate ? times_series_after_shunt(p[q], x) : times_series(p[q], x);
      }
    } else {
      const __m256 unit = _mm256_set1_ps(kSiemensPerPicofarad);
      for (int q = 0; q < 2; ++q) {
        const __m256 b =
            chain_avx::imaginary_lanes(_mm256_mul_ps(_mm256_mul_ps(w_pair[q], v), unit));
        p[q] = alternate ? times_shunt_after_series(p[q], b) : times_shunt(p[q], b);
      }
    }
  }
  ChainState c[4] = {first_of(p[0]), second_of(p[0]), first_of(p[1]), second_of(p[1])};
  for (int j = 0; j < 4; ++j) {
    if (holds_nan(c[j])) c[j] = full_chain(l, w[j]);
    rs[j] = to_two_port(c[j]);
  }
}
#endif

// Four chains, in AVX pairs where the processor has them.
void cascades4(const LumpedLadder& l, const float* f, TwoPort* rs) {
#if MX_CHAIN_AVX
  // (The AVX pairs hold plain elements only.)
  if (!l.resonant && chain_avx_available()) {
    cascades4_avx(l, f, rs);
    return;
  }
#endif
  cascades<4>(l, f, rs);
}

}  // namespace

LumpedLadder lumped_ladder(const DesignRecord& ds) {
  LumpedLadder l;
  bool series_next = ds.control.configuration == Configuration::kDual;
  for (int k = 1; k <= ds.design.sections; ++k) {
    const float v = series_next ? ds.ladder.series_nh(k) : ds.ladder.shunt_pf(k);
    const auto slot = static_cast<std::size_t>(k - 1);
    l.value[slot] = v;
    l.partner[slot] = series_next ? ds.ladder.tank_pf(k) : ds.ladder.trap_nh(k);
    if (l.partner[slot] != 0.0f) l.resonant = true;
    l.series[slot] = series_next;
    l.count = k;
    series_next = !series_next;
  }
  return l;
}

void lumped_cascade(const LumpedLadder& ladder, float f, TwoPort& rs) {
  cascades<1>(ladder, &f, &rs);
}

void lumped_cascades(const LumpedLadder& ladder, float f1, float f2, TwoPort& rs1, TwoPort& rs2) {
  const float fs[2] = {f1, f2};
  TwoPort out[2];
  cascades<2>(ladder, fs, out);
  rs1 = out[0];
  rs2 = out[1];
}

void lumped_cascades(const LumpedLadder& ladder, std::span<const float> f, std::span<TwoPort> rs) {
  std::size_t k = 0;
  for (; k + 4 <= f.size(); k += 4) cascades4(ladder, &f[k], &rs[k]);
  if (k + 2 <= f.size()) {
    cascades<2>(ladder, &f[k], &rs[k]);
    k += 2;
  }
  if (k < f.size()) cascades<1>(ladder, &f[k], &rs[k]);
}

void lumped_cascade(const DesignRecord& ds, float f, TwoPort& rs) {
  lumped_cascade(lumped_ladder(ds), f, rs);
}

}  // namespace mx
