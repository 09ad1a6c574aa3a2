#include "synthesis/stepped_line.h"

#include <cmath>

#include "base/units.h"
#include "line/ratings.h"
#include "line/step_capacitance.h"

namespace mx {

namespace {

constexpr float kSettled = 0.00025f;  // largest length change of a settled pass, inch

// Everything but the dual configuration is laid out as the standard circuit.
bool is_dual(const DesignRecord& ds) { return ds.control.configuration == Configuration::kDual; }

// Step capacitance of line kind a (as line 1) against line kind b at the
// cutoff frequency; the last frequency factor is left alone when nothing steps.
float junction(DesignRecord& ds, int a, int b) {
  const LineKinds& k = ds.lines;
  return step_capacitance(k.inner(a), k.inner(b), k.outer(a), k.outer(b), k.er(a), k.er(b),
                          ds.design.cutoff_mhz, ds.coax.last_factor);
}

// tan of half the electrical length of a neighbouring section, and sin of a
// section's own electrical length, at the cutoff.
float half_tan(float wc, float len, float v) { return std::tan(wc * len / (2.0f * v)); }
float full_sin(float wc, float len, float v) { return std::sin(wc * len / v); }

PassOutcome refuse(Realizability code, int section, float z_must) {
  return {code, section, z_must};
}

}  // namespace

PassOutcome section_length_pass(DesignRecord& ds, int pass) {
  const CoaxSolution& c = ds.coax;
  const Ladder& lad = ds.ladder;
  auto& len = ds.coax.length;
  const int n = ds.design.sections;
  const float wc = c.wc;
  const float zlow = c.z_low;
  const float zhigh = c.z_high;

  const int istart = is_dual(ds) ? 1 : 2;  // first high-impedance position
  const int lstart = is_dual(ds) ? 2 : 1;  // first low-impedance position

  // High-impedance (inductive) sections. The first pass has no neighbour
  // lengths yet, so the whole inductance comes from the section itself.
  if (pass == 1)
    for (int j = 0; j <= 31; ++j) len(j) = 0.0f;
  for (int j = istart; j <= n; j += 2) {
    float temp;
    if (pass == 1) {
      temp = lad.series_nh(j) * wc * 1.0e-9f / zhigh;
      if (temp > 1.0f || temp < 0.0f)
        return refuse(Realizability::kHighTooLow, j, lad.series_nh(j) * wc * 1.0e-9f);
    } else {
      const float temp1 = lad.series_nh(j) * wc * 1.0e-9f / zhigh;
      const float temp2 = (zlow / zhigh) * half_tan(wc, len(j - 1), c.v_low);
      const float temp3 = (zlow / zhigh) * half_tan(wc, len(j + 1), c.v_low);
      temp = temp1 - temp2 - temp3;
      if (temp > 1.0f) return refuse(Realizability::kHighTooLow, j, zhigh * temp);
      if (temp < 0.0f)
        return refuse(Realizability::kLowTooHigh, j == n ? j - 1 : j + 1,
                      zlow * temp1 / (temp2 + temp3));
    }
    len(j) = std::asin(temp) * c.v_high / wc;
  }

  // Low-impedance (capacitive) sections, from the high-impedance lengths
  // just found and the step capacitances at both ends.
  for (int j = lstart; j <= n; j += 2) {
    const float temp1 = zlow * wc * lad.shunt_pf(j) * 1.0e-12f;
    const float temp2 = (zlow / zhigh) * half_tan(wc, len(j - 1), c.v_high);
    const float temp3 = (zlow / zhigh) * half_tan(wc, len(j + 1), c.v_high);
    const float temp4 = zlow * wc * c.step_f(j, 1);
    const float temp5 = zlow * wc * c.step_f(j, 2);
    float temp = temp1 - temp4 - temp5;
    if (temp < 0.0f) return refuse(Realizability::kStepsTooLarge, j, 0.0f);
    temp = temp - temp2 - temp3;
    if (temp > 1.0f) return refuse(Realizability::kLowTooHigh, j, zlow / temp);
    if (temp < 0.0f)
      return refuse(Realizability::kHighTooLow, j == n ? j - 1 : j + 1,
                    zhigh * (temp2 + temp3) / (temp1 - temp4 - temp5));
    len(j) = std::asin(temp) * c.v_low / wc;
  }
  return {};
}

float proximity_factor(float r1, float r2, float r3, float x) {
  const float beta = x / (2.0f * (r3 - r1));
  const float alpha = (r3 - r2) / (r3 - r1);
  float p = std::tanh(kPi * beta);
  // The reduction of the step field is strongest at a diameter ratio of 0.35
  // and fades out towards 0 and 1.
  if (alpha <= 0.35f)
    p = p + (1.0f - p) * (0.35f - alpha) / 0.35f;
  else
    p = p + (1.0f - p) * (alpha - 0.35f) / 0.65f;
  if (alpha > 1.0f || alpha < 0.0f) p = 1.0f;
  if (p > 1.0f) p = 1.0f;
  if (p < 0.0f) p = 0.0f;
  return p;
}

float end_correction(const DesignRecord& ds, float cap, float length, float z_line) {
  if (cap == 0.0f) return 0.0f;
  const CoaxSolution& c = ds.coax;
  const float temp1 = cap * c.wc * c.v_high / (c.z_high * c.wc);
  const float temp2 = length / (2.0f * c.z_high * c.z_high);
  return z_line * z_line * (temp1 + temp2);
}

void synthesize_stepped_line(DesignRecord& ds, SteppedLineResult& r) {
  synthesize_stepped_line(ds, r, kMaxLengthPasses, nullptr);
}

void synthesize_stepped_line(DesignRecord& ds, SteppedLineResult& r, int max_passes,
                             std::vector<float>* changes) {
  CoaxSolution& c = ds.coax;
  const LineKinds& k = ds.lines;
  auto& len = c.length;
  const int n = ds.design.sections;
  const bool dual = is_dual(ds);

  r.code = Realizability::kDone;
  r.section = 0;
  r.z_must = 0.0f;
  r.passes = 0;
  r.end_correction1 = 0.0f;
  r.end_correction2 = 0.0f;

  c.step_f.fill(0.0f);
  ds.control.origin = Origin::kDistributedSynthesis;

  // Ratings of the four line kinds; reported only.
  for (int i = kSourceLine; i <= kLoadLine; ++i) {
    r.te11_ghz[i] = te11_cutoff_ghz(k.outer(i), k.inner(i), k.er(i));
    r.peak_kw[i] = peak_power_kw(k.outer(i), k.inner(i), k.er(i));
  }

  // The five junction kinds, at the cutoff frequency.
  r.cap_source_low = junction(ds, kSourceLine, kLowLine);
  c.factor1 = c.last_factor;
  r.cap_high_source = junction(ds, kHighLine, kSourceLine);
  c.factor2 = c.last_factor;
  r.cap_high_low = junction(ds, kHighLine, kLowLine);
  c.factor3 = c.last_factor;
  r.cap_load_low = junction(ds, kLoadLine, kLowLine);
  c.factor4 = c.last_factor;
  r.cap_high_load = junction(ds, kHighLine, kLoadLine);
  c.factor5 = c.last_factor;

  // Step capacitances at both ends of every low-impedance section. A
  // high-impedance end section meets the source or load line without an
  // entry here: its junction is covered by the end correction below.
  for (int j = dual ? 2 : 1; j <= n; j += 2) {
    c.step_f(j, 1) = r.cap_high_low;
    c.step_f(j, 2) = r.cap_high_low;
  }
  if (!dual) {
    c.step_f(1, 1) = r.cap_source_low;
    if (n % 2 == 1) c.step_f(n, 2) = r.cap_load_low;
  } else if (n % 2 == 0) {
    c.step_f(n, 2) = r.cap_load_low;
  }

  IndexArray<float, 1, 31> oldlen;
  for (int j = 1; j <= 31; ++j) {
    len(j) = 0.0f;
    oldlen(j) = 0.0f;
    r.proximity(j) = 1.0f;
  }
  c.wc = 2.0f * kPi * ds.design.cutoff_mhz * kHzPerMHz;
  c.v_low = kLightInchPerUs * kHzPerMHz / std::sqrt(k.er(kLowLine));
  c.z_low = k.zo(kLowLine);
  c.v_high = kLightInchPerUs * kHzPerMHz / std::sqrt(k.er(kHighLine));
  c.z_high = k.zo(kHighLine);

  int pass = 1;
  bool moving = true;
  while (pass == 1 || pass == 2 || moving) {
    if (pass > max_passes) {
      // Still moving after the last allowed pass.
      r.code = Realizability::kUnsettled;
      return;
    }
    for (int j = 1; j <= n; ++j) oldlen(j) = len(j);
    r.passes = pass;
    const PassOutcome outcome = section_length_pass(ds, pass);
    r.code = outcome.code;
    r.section = outcome.section;
    r.z_must = outcome.z_must;
    if (r.code != Realizability::kDone) return;

    // A short high-impedance section between two low-impedance ones lets
    // the fringing fields of its two steps overlap, which lowers their
    // capacitance. The section next to the load line has no second step.
    if (!dual) {
      for (int j = 2; j <= n; j += 2)
        r.proximity(j) =
            proximity_factor(k.inner(kHighLine), k.inner(kLowLine), k.outer(kHighLine), len(j));
      if (n % 2 == 0) r.proximity(n) = 1.0f;
    } else {
      for (int j = 3; j <= n; j += 2)
        r.proximity(j) =
            proximity_factor(k.inner(kHighLine), k.inner(kLowLine), k.outer(kHighLine), len(j));
      if (n % 2 == 1) r.proximity(n) = 1.0f;
    }
    // The factors act on the current capacitances, so the reduction builds
    // up from pass to pass. Only odd positions are visited: in the dual
    // circuit these hold no step capacitance and nothing changes.
    for (int j = 1; j <= n; j += 2) {
      if (j + 1 > 31) break;
      c.step_f(j, 2) = c.step_f(j, 2) * r.proximity(j + 1);
      if (j + 2 <= 31) c.step_f(j + 2, 1) = c.step_f(j + 2, 1) * r.proximity(j + 1);
    }
    pass = pass + 1;

    moving = false;
    float largest = 0.0f;
    for (int j = 1; j <= n; ++j) {
      const float change = std::fabs(oldlen(j) - len(j));
      if (change > kSettled) moving = true;
      if (change > largest) largest = change;
    }
    if (changes != nullptr) changes->push_back(largest);
  }

  // End corrections for high-impedance end sections: the step to the source
  // or load line adds capacitance the lumped inductor does not have, which a
  // slightly longer section makes up for.
  const float ros = ds.ladder.load_standard;
  const float rod = ds.ladder.load_dual;
  if (!dual) {
    if (n % 2 == 0) {
      r.end_correction1 = end_correction(ds, r.cap_high_load, len(n), ros);
      len(n) = len(n) + r.end_correction1;
    }
  } else if (n >= 1) {
    r.end_correction1 = end_correction(ds, r.cap_high_source, len(1), ros);
    len(1) = len(1) + r.end_correction1;
    if (n % 2 == 1) {
      r.end_correction2 = end_correction(ds, r.cap_high_load, len(n), rod);
      len(n) = len(n) + r.end_correction2;
    }
  }
  if (n >= 1) {
    r.length_first = len(1);
    r.length_last = len(n);
  }
}

void lumped_equivalents_of_lengths(const DesignRecord& ds, LumpedEquivalents& out) {
  const Configuration cfg = ds.control.configuration;
  if (cfg != Configuration::kStandard && cfg != Configuration::kDual) return;
  const CoaxSolution& c = ds.coax;
  const float wc = c.wc;
  const float zlow = c.z_low;
  const float zhigh = c.z_high;
  auto& value = out.value;
  auto& value2 = out.parts;

  for (int j = 0; j <= 32; ++j) out.length(j) = c.length(j);
  for (int j = 1; j <= ds.design.sections; ++j) {
    const bool capacitive = (j % 2 == 1) == (cfg == Configuration::kStandard);
    const float before = c.length(j - 1);
    const float own = c.length(j);
    const float after = c.length(j + 1);
    if (capacitive) {
      const float t1 = half_tan(wc, before, c.v_high);
      const float s = full_sin(wc, own, c.v_low);
      const float t3 = half_tan(wc, after, c.v_high);
      value2(j, 1) = t1 / zhigh * 1.0e12f / wc;
      value2(j, 2) = s / zlow * 1.0e12f / wc;
      value2(j, 3) = t3 / zhigh * 1.0e12f / wc;
      value2(j, 4) = (c.step_f(j, 1) + c.step_f(j, 2)) * 1.0e12f;
      value(j) = (t1 / zhigh + wc * c.step_f(j, 1) + s / zlow + wc * c.step_f(j, 2) + t3 / zhigh) *
                 1.0e12f / wc;
    } else {
      const float t1 = half_tan(wc, before, c.v_low);
      const float s = full_sin(wc, own, c.v_high);
      const float t3 = half_tan(wc, after, c.v_low);
      value2(j, 1) = zlow * t1 * 1.0e9f / wc;
      value2(j, 2) = zhigh * s * 1.0e9f / wc;
      value2(j, 3) = zlow * t3 * 1.0e9f / wc;
      value(j) = (zlow * t1 + zhigh * s + zlow * t3) * 1.0e9f / wc;
    }
  }
}

LumpedEquivalents lumped_equivalents(DesignRecord& ds, const SteppedLineResult& r) {
  LumpedEquivalents out;
  // The equivalents are those of the converged lengths, without the end
  // corrections; the corrections go back afterwards so the design is unchanged.
  remove_end_corrections(ds, r);
  lumped_equivalents_of_lengths(ds, out);
  restore_end_corrections(ds, r);
  return out;
}

void remove_end_corrections(DesignRecord& ds, const SteppedLineResult& r) {
  if (r.code != Realizability::kDone) return;
  auto& len = ds.coax.length;
  const int n = ds.design.sections;
  if (n < 1) return;
  if (!is_dual(ds) && n % 2 == 0) len(n) = len(n) - r.end_correction1;
  if (is_dual(ds)) {
    len(1) = len(1) - r.end_correction1;
    if (n % 2 == 1) len(n) = len(n) - r.end_correction2;
  }
}

void restore_end_corrections(DesignRecord& ds, const SteppedLineResult& r) {
  if (r.code != Realizability::kDone) return;
  auto& len = ds.coax.length;
  const int n = ds.design.sections;
  if (n < 1) return;
  // Write back the corrected lengths themselves: adding the corrections
  // again could differ from them in the last bit.
  if (!is_dual(ds) && n % 2 == 0) len(n) = r.length_last;
  if (is_dual(ds)) {
    len(1) = r.length_first;
    if (n % 2 == 1) len(n) = r.length_last;
  }
}

}  // namespace mx
