#include "analysis/coax_cascade.h"

#include <bit>
#include <cmath>
#include <cstddef>

#include "analysis/chain_kernel.h"
#include "analysis/elements.h"
#include "base/units.h"

namespace mx {
namespace {

using Junction = CoaxNetwork::Junction;
using Line = CoaxNetwork::Line;

// The input bits of a junction or line: two with the same bits give the same
// matrix at every frequency, so one evaluation serves both.
template <std::size_t K>
struct Key {
  std::array<std::uint32_t, K> bits{};
  bool operator==(const Key&) const = default;
};

template <typename... T>
Key<sizeof...(T)> key_of(T... x) {
  return Key<sizeof...(T)>{{std::bit_cast<std::uint32_t>(static_cast<float>(x))...}};
}

// Builds the chain's places, keeping each distinct junction and line once.
class Builder {
 public:
  explicit Builder(CoaxNetwork& c) : c_(c) {}

  void junction(const Key<6>& key, const Junction& j) {
    place(c_.junction_at, c_.junctions, junction_keys_, c_.distinct_junctions, c_.junction, key, j);
  }
  void line(const Key<6>& key, const Line& l) {
    place(c_.line_at, c_.lines, line_keys_, c_.distinct_lines, c_.line, key, l);
  }

 private:
  template <typename Places, typename Keys, typename Items, typename Item>
  static void place(Places& at, int& count, Keys& keys, int& distinct, Items& items,
                    const Key<6>& key, const Item& item) {
    int found = 0;
    while (found < distinct && !(keys[static_cast<std::size_t>(found)] == key)) ++found;
    if (found == distinct) {
      keys[static_cast<std::size_t>(found)] = key;
      items[static_cast<std::size_t>(found)] = item;
      ++distinct;
    }
    at[static_cast<std::size_t>(count)] = static_cast<std::uint8_t>(found);
    ++count;
  }

  CoaxNetwork& c_;
  std::array<Key<6>, CoaxNetwork::kMaxJunctions> junction_keys_{};
  std::array<Key<6>, CoaxNetwork::kMaxLines> line_keys_{};
};

void entered_circuit(const DesignRecord& ds, CoaxNetwork& c) {
  const int n = ds.design.sections;
  const EnteredLines& e = ds.entered;
  Builder b(c);
  for (int i = 0; i <= n; ++i) {
    Junction j;
    j.step =
        step_junction(e.inner(i), e.inner(i + 1), e.outer(i), e.outer(i + 1), e.er(i), e.er(i + 1));
    b.junction(key_of(e.inner(i), e.inner(i + 1), e.outer(i), e.outer(i + 1), e.er(i), e.er(i + 1)),
               j);
  }
  for (int k = 1; k <= n; ++k) {
    Line l;
    l.loss = line_loss(e.outer(k), e.inner(k), e.er(k), ds.losses.loss_tangent);
    l.z = e.zo(k);
    l.length = e.length(k);
    b.line(key_of(e.outer(k), e.inner(k), e.er(k), e.zo(k), e.length(k), 0.0f), l);
  }
}

void synthesized_circuit(const DesignRecord& ds, const EndSteps& ends, CoaxNetwork& c) {
  const CoaxSolution& s = ds.coax;
  const LineKinds& k = ds.lines;
  const int n = ds.design.sections;
  Builder b(c);
  // The junction against line kind x, capacitance cap stored under the factor fkx.
  auto junction = [&](int x, float cap, float fkx) {
    Junction j;
    j.gap = k.outer(x) - k.inner(kHighLine);
    j.c = cap;
    j.fkx = fkx;
    b.junction(key_of(j.gap, j.c, j.fkx, 0.0f, 0.0f, 0.0f), j);
  };
  auto line = [&](float length, bool high) {
    const int kind = high ? kHighLine : kLowLine;
    Line l;
    l.loss = line_loss(k.outer(kind), k.inner(kind), k.er(kind), ds.losses.loss_tangent);
    l.z = high ? s.z_high : s.z_low;
    l.length = length;
    l.high = high;
    b.line(key_of(length, high ? 1.0f : 0.0f, 0.0f, 0.0f, 0.0f, 0.0f), l);
  };
  bool high_next = ds.control.configuration == Configuration::kDual;
  for (int i = 1; i <= n; ++i) {
    if (high_next) {
      if (i == 1) {
        junction(kSourceLine, ends.high_source, s.factor2);
      } else {
        junction(kHighLine, s.step_f(i - 1, 2), s.factor3);
      }
      line(s.length(i), true);
      high_next = false;
    } else {
      junction(kHighLine, s.step_f(i, 1), s.factor3);
      line(s.length(i), false);
      high_next = true;
    }
  }
  // The junction after the last section.
  const bool odd = n % 2 != 0;
  const bool last_high = ds.control.configuration == Configuration::kDual ? odd : !odd;
  if (last_high) {
    junction(kLoadLine, ends.high_load, s.factor5);
  } else {
    junction(kLowLine, s.step_f(n, 2), s.factor3);
  }
}

// The distinct junctions (as shunt susceptances, S) and lines at one
// frequency: everything of the chain that depends on the frequency.
struct AtFrequency {
  std::array<float, CoaxNetwork::kMaxJunctions> b;
  std::array<ChainFactor, CoaxNetwork::kMaxLines> line;
};

void evaluate(const CoaxNetwork& c, float f, AtFrequency& at) {
  const auto nj = static_cast<std::size_t>(c.distinct_junctions);
  const auto nl = static_cast<std::size_t>(c.distinct_lines);
  // Surface resistance and wavelength: the same for every line.
  const SurfaceAtFrequency surface = surface_at_frequency(c.roughness, c.resistivity, f);
  TwoPort m;
  if (!c.synthesized) {
    const float w = 2.0f * kPi * f * kHzPerMHz;
    for (std::size_t u = 0; u < nj; ++u) {
      float fk = 0.0f;  // leave_junctions keeps the factor
      at.b[u] = w * step_capacitance(c.junction[u].step, f, fk);
    }
    for (std::size_t u = 0; u < nl; ++u) {
      const Line& l = c.line[u];
      const float theta = l.length * f * l.loss.sqrt_er * 2.0f * kPi / kLightInchPerUs;
      line_two_port(l.z, theta, l.length * line_attenuation(l.loss, surface), m);
      at.line[u] = factor_of(m);
    }
    return;
  }
  const float lambda_high = c.v_high / (f * kHzPerMHz);  // inch
  const float lambda_low = c.v_low / (f * kHzPerMHz);
  for (std::size_t u = 0; u < nj; ++u) {
    // The fringing capacitance rises with frequency like the factor fkp
    // formed over the junction's gap.
    const Junction& j = c.junction[u];
    const float gap = j.gap / lambda_high;
    const float fkp = 1.0f / std::sqrt(1.0f - gap * gap);
    at.b[u] = fkp / j.fkx * 2.0f * kPi * f * kHzPerMHz * j.c;
  }
  for (std::size_t u = 0; u < nl; ++u) {
    const Line& l = c.line[u];
    const float theta = l.length / (l.high ? lambda_high : lambda_low) * 2.0f * kPi;
    line_two_port(l.z, theta, l.length * line_attenuation(l.loss, surface), m);
    at.line[u] = factor_of(m);
  }
}

// The chain at one frequency from its evaluation, by full products.
ChainState full_chain(const CoaxNetwork& c, const AtFrequency& at) {
  ChainState ch = chain_identity();
  for (int i = 0; i < c.junctions; ++i) {
    const auto place = static_cast<std::size_t>(i);
    ch = times(ch, shunt_factor(at.b[c.junction_at[place]]));
    if (i < c.lines) ch = times(ch, at.line[c.line_at[place]]);
  }
  return ch;
}

// The chain at N frequencies, the N products of each place side by side, the
// junctions' shortened (chain_kernel.h); a chain that ends with a NaN is done
// again in full.
template <int N>
void cascades(const CoaxNetwork& c, const float* f, TwoPort* rs) {
  AtFrequency at[N];
  ChainState ch[N];
  for_each_chain<N>([&](int j) {
    evaluate(c, f[j], at[j]);
    ch[j] = chain_identity();
  });
  for (int i = 0; i < c.junctions; ++i) {
    const auto place = static_cast<std::size_t>(i);
    const std::size_t ju = c.junction_at[place];
    for_each_chain<N>([&](int j) { ch[j] = times_shunt(ch[j], at[j].b[ju]); });
    if (i >= c.lines) continue;
    const std::size_t lu = c.line_at[place];
    for_each_chain<N>([&](int j) { ch[j] = times(ch[j], at[j].line[lu]); });
  }
  for_each_chain<N>([&](int j) {
    if (holds_nan(ch[j])) ch[j] = full_chain(c, at[j]);
    rs[j] = to_two_port(ch[j]);
  });
}

#if MX_CHAIN_AVX
// cascades<4> with the four chains in two AVX pairs: the same bits.
MX_CHAIN_AVX_CODE void cascades4_avx(const CoaxNetwork& c, const float* f, TwoPort* rs) {
  // (Plain loops: the body of a lambda would not be compiled for AVX.)
  AtFrequency at[4];
  for (int j = 0; j < 4; ++j) evaluate(c, f[j], at[j]);
  const ChainState id = chain_identity();
  ChainPair p[2] = {pair_of(id, id), pair_of(id, id)};
  for (int i = 0; i < c.junctions; ++i) {
    const auto place = static_cast<std::size_t>(i);
    const std::size_t ju = c.junction_at[place];
    for (int q = 0; q < 2; ++q) p[q] = times_shunt(p[q], at[2 * q].b[ju], at[2 * q + 1].b[ju]);
    if (i >= c.lines) continue;
    const std::size_t lu = c.line_at[place];
    for (int q = 0; q < 2; ++q)
      p[q] = times(p[q], factor_pair(at[2 * q].line[lu], at[2 * q + 1].line[lu]));
  }
  ChainState ch[4] = {first_of(p[0]), second_of(p[0]), first_of(p[1]), second_of(p[1])};
  for (int j = 0; j < 4; ++j) {
    if (holds_nan(ch[j])) ch[j] = full_chain(c, at[j]);
    rs[j] = to_two_port(ch[j]);
  }
}
#endif

// Four chains, in AVX pairs where the processor has them.
void cascades4(const CoaxNetwork& c, const float* f, TwoPort* rs) {
#if MX_CHAIN_AVX
  if (chain_avx_available()) {
    cascades4_avx(c, f, rs);
    return;
  }
#endif
  cascades<4>(c, f, rs);
}

}  // namespace

CoaxNetwork coax_network(const DesignRecord& ds, const EndSteps& ends) {
  CoaxNetwork c;
  c.synthesized = ds.control.origin == Origin::kDistributedSynthesis;
  c.roughness = ds.losses.roughness;
  c.resistivity = ds.losses.resistivity;
  c.v_high = ds.coax.v_high;
  c.v_low = ds.coax.v_low;
  if (c.synthesized) {
    synthesized_circuit(ds, ends, c);
  } else {
    entered_circuit(ds, c);
  }
  return c;
}

void coax_cascade(const CoaxNetwork& c, float f, TwoPort& rs) { cascades<1>(c, &f, &rs); }

void coax_cascades(const CoaxNetwork& c, float f1, float f2, TwoPort& rs1, TwoPort& rs2) {
  const float fs[2] = {f1, f2};
  TwoPort out[2];
  cascades<2>(c, fs, out);
  rs1 = out[0];
  rs2 = out[1];
}

void coax_cascades(const CoaxNetwork& c, std::span<const float> f, std::span<TwoPort> rs) {
  std::size_t k = 0;
  for (; k + 4 <= f.size(); k += 4) cascades4(c, &f[k], &rs[k]);
  if (k + 2 <= f.size()) {
    cascades<2>(c, &f[k], &rs[k]);
    k += 2;
  }
  if (k < f.size()) cascades<1>(c, &f[k], &rs[k]);
}

void leave_junctions(const CoaxNetwork& c, float f, DesignRecord& ds) {
  if (c.synthesized) return;
  // Junction by junction from the source, as the evaluation goes: each step
  // that has a frequency factor overwrites the last one.
  for (int i = 0; i < c.junctions; ++i) {
    const Junction& j = c.junction[c.junction_at[static_cast<std::size_t>(i)]];
    ds.entered.junction_f(i) = step_capacitance(j.step, f, ds.coax.last_factor);
  }
}

void coax_cascade(DesignRecord& ds, const EndSteps& ends, float f, TwoPort& rs) {
  const CoaxNetwork c = coax_network(ds, ends);
  coax_cascade(c, f, rs);
  leave_junctions(c, f, ds);
}

}  // namespace mx
