#include "analysis/coax_cascade.h"

#include <cmath>

#include "analysis/elements.h"
#include "base/units.h"
#include "line/attenuation.h"
#include "line/step_capacitance.h"

namespace mx {
namespace {

// rs = rs . m
void chain(TwoPort& rs, const TwoPort& m) {
  TwoPort scratch;
  chain_product(scratch, rs, m);
  rs = scratch;
}

// Synthesized filter: the junction against line kind x, capacitance c (F)
// stored under the frequency factor fkx, put onto rs at f. The fringing
// capacitance rises with frequency like the factor fkp formed over the gap
// between the outer conductor of line kind x and the inner conductor of the
// high-impedance line.
void synth_junction(const DesignRecord& ds, TwoPort& rs, TwoPort& shunt, float lambda_high, int x,
                    float c, float fkx, float f) {
  const float gap = (ds.lines.outer(x) - ds.lines.inner(kHighLine)) / lambda_high;
  const float fkp = 1.0f / std::sqrt(1.0f - gap * gap);
  shunt.v[5] = fkp / fkx * 2.0f * kPi * f * kHzPerMHz * c;
  chain(rs, shunt);
}

// Synthesized filter: a section of `length` inches of line kind `kind`.
void synth_line(const DesignRecord& ds, TwoPort& rs, TwoPort& line, float length, float lambda,
                int kind, float z, float f) {
  const LineKinds& k = ds.lines;
  const Losses& loss = ds.losses;
  const float theta = length / lambda * 2.0f * kPi;
  const float a = line_attenuation(k.outer(kind), k.inner(kind), k.er(kind), loss.roughness,
                                   loss.resistivity, loss.loss_tangent, f);
  line_two_port(z, theta, length * a, line);
  chain(rs, line);
}

void synthesized(const DesignRecord& ds, const EndSteps& ends, float f, TwoPort& rs) {
  const CoaxSolution& c = ds.coax;
  const int n = ds.design.sections;
  const float lambda_high = c.v_high / (f * kHzPerMHz);  // inch
  const float lambda_low = c.v_low / (f * kHzPerMHz);
  TwoPort shunt;
  TwoPort line;
  bool high_next = ds.control.configuration == Configuration::kDual;
  for (int i = 1; i <= n; ++i) {
    if (high_next) {
      if (i == 1) {
        synth_junction(ds, rs, shunt, lambda_high, kSourceLine, ends.high_source, c.factor2, f);
      } else {
        synth_junction(ds, rs, shunt, lambda_high, kHighLine, c.step_f(i - 1, 2), c.factor3, f);
      }
      synth_line(ds, rs, line, c.length(i), lambda_high, kHighLine, c.z_high, f);
      high_next = false;
    } else {
      synth_junction(ds, rs, shunt, lambda_high, kHighLine, c.step_f(i, 1), c.factor3, f);
      synth_line(ds, rs, line, c.length(i), lambda_low, kLowLine, c.z_low, f);
      high_next = true;
    }
  }
  // The junction after the last section.
  const bool odd = n % 2 != 0;
  const bool last_high = ds.control.configuration == Configuration::kDual ? odd : !odd;
  if (last_high) {
    synth_junction(ds, rs, shunt, lambda_high, kLoadLine, ends.high_load, c.factor5, f);
  } else {
    synth_junction(ds, rs, shunt, lambda_high, kLowLine, c.step_f(n, 2), c.factor3, f);
  }
}

void entered(DesignRecord& ds, float f, TwoPort& rs) {
  const int n = ds.design.sections;
  EnteredLines& e = ds.entered;
  const Losses& loss = ds.losses;
  for (int i = 0; i <= n; ++i) {
    e.junction_f(i) = step_capacitance(e.inner(i), e.inner(i + 1), e.outer(i), e.outer(i + 1),
                                       e.er(i), e.er(i + 1), f, ds.coax.last_factor);
  }
  TwoPort shunt;
  TwoPort line;
  for (int i = 0; i <= n; ++i) {
    shunt.v[5] = 2.0f * kPi * f * kHzPerMHz * e.junction_f(i);
    chain(rs, shunt);
    if (i == n) break;
    const int k = i + 1;
    const float theta = e.length(k) * f * std::sqrt(e.er(k)) * 2.0f * kPi / kLightInchPerUs;
    const float a = line_attenuation(e.outer(k), e.inner(k), e.er(k), loss.roughness,
                                     loss.resistivity, loss.loss_tangent, f);
    line_two_port(e.zo(k), theta, e.length(k) * a, line);
    chain(rs, line);
  }
}

}  // namespace

void coax_cascade(DesignRecord& ds, const EndSteps& ends, float f, TwoPort& rs) {
  rs = TwoPort::identity();
  if (ds.control.origin == Origin::kDistributedSynthesis) {
    synthesized(ds, ends, f, rs);
  } else {
    entered(ds, f, rs);
  }
}

}  // namespace mx
