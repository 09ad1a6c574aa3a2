#include "line/step_capacitance.h"

#include <cmath>

#include "base/units.h"

namespace mx {
namespace {

// Fringing term of a step whose gap ratio is alpha (0 < alpha < 1).
float log_term(float alpha) {
  return (alpha * alpha + 1.0f) / alpha * std::log((1.0f + alpha) / (1.0f - alpha)) -
         2.0f * std::log(4.0f * alpha / (1.0f - alpha * alpha));
}

// The radial gap r3 - r1 (inch) in a dielectric er.
GapFactor gap_factor(float r3, float r1, float er) {
  return GapFactor{std::sqrt(er), 2.0f * kCmPerInch * (r3 - r1)};
}

// Growth of the step capacitance towards the first higher-order mode of the
// gap at f MHz. Past that mode's cutoff the root has no real value and the
// result is NaN; callers carry it on as it is.
float freq_factor(const GapFactor& g, float f) {
  if (f <= 0.0f) return 1.0f;
  const float wavelen = kLightInchPerUs * kCmPerInch / (g.sqrt_er * f);  // cm
  const float t = g.span / wavelen;
  return 1.0f / std::sqrt(1.0f - t * t);
}

}  // namespace

StepJunction step_junction(float d1, float d2, float d3, float d4, float er1, float er2) {
  StepJunction j;
  j.inner_step = d1 != d2;
  j.outer_step = d3 != d4;
  if (j.inner_step) {
    // Inner conductor step: fringing field in the line with the thinner conductor.
    const float r1 = (d1 < d2 ? d1 : d2) / 2.0f;
    const float r2 = (d1 < d2 ? d2 : d1) / 2.0f;
    const float er = d1 < d2 ? er1 : er2;
    const float r3 = (d3 > d4 ? d3 : d4) / 2.0f;
    const float gamma = r3 / r1;
    const float alpha = (r3 - r2) / (r3 - r1);
    j.inner_static = kFreeSpacePermittivity * er / (100.0f * kPi) * log_term(alpha) +
                     1.11e-15f * (1.0f - alpha) * (gamma - 1.0f);  // F/cm
    j.inner_radius = r3;
    j.inner_factor = gap_factor(r3, r1, er);
  }
  if (j.outer_step) {
    // Outer conductor step: fringing field in the line with the wider outer conductor.
    const float r2 = (d3 < d4 ? d3 : d4) / 2.0f;
    const float r3 = (d3 < d4 ? d4 : d3) / 2.0f;
    const float er = d4 > d3 ? er2 : er1;
    const float r1 = (d1 < d2 ? d1 : d2) / 2.0f;
    const float gamma = r3 / r1;
    const float alpha = (r2 - r1) / (r3 - r1);
    float cdo = kFreeSpacePermittivity * er / (100.0f * kPi) * log_term(alpha) +
                4.12e-15f * (0.8f - alpha) * (gamma - 1.4f);  // F/cm
    cdo = cdo * 2.0f * kPi * r1 * kCmPerInch;                 // around the inner radius, F
    j.outer_static = cdo;
    j.outer_factor = gap_factor(r3, r1, er);
  }
  return j;
}

float step_capacitance(const StepJunction& j, float f, float& fk) {
  float cd = 0.0f;
  float cdi = 0.0f;

  if (j.inner_step) {
    fk = freq_factor(j.inner_factor, f);
    cdi = fk * j.inner_static;
    cdi = cdi * 2.0f * kPi * j.inner_radius * kCmPerInch;  // around the outer radius, F
    if (cdi < 0.0f) cdi = 0.0f;
    cd = cdi;
  }

  if (!j.outer_step) return cd;

  const float fko = freq_factor(j.outer_factor, f);
  const float cdo = j.outer_static * fko;
  // With both conductors stepping the inner-step factor is the one reported.
  if (!j.inner_step) fk = fko;
  // A negative outer part may lower the inner one; only the total is clamped.
  cd = cdi + cdo;
  if (cd < 0.0f) cd = 0.0f;
  return cd;
}

float step_capacitance(float d1, float d2, float d3, float d4, float er1, float er2, float f,
                       float& fk) {
  return step_capacitance(step_junction(d1, d2, d3, d4, er1, er2), f, fk);
}

}  // namespace mx
