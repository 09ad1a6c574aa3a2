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

// Growth of the step capacitance towards the first higher-order mode, for a
// radial gap r3 - r1 (inch) at f MHz. Past that mode's cutoff the root has no
// real value and the result is NaN; callers carry it on as it is.
float freq_factor(float r3, float r1, float er, float f) {
  if (f <= 0.0f) return 1.0f;
  const float wavelen = kLightInchPerUs * kCmPerInch / (std::sqrt(er) * f);  // cm
  const float t = 2.0f * kCmPerInch * (r3 - r1) / wavelen;
  return 1.0f / std::sqrt(1.0f - t * t);
}

}  // namespace

float step_capacitance(float d1, float d2, float d3, float d4, float er1, float er2, float f,
                       float& fk) {
  float cd = 0.0f;
  float cdi = 0.0f;
  float cdo = 0.0f;

  if (d1 != d2) {
    // Inner conductor step: fringing field in the line with the thinner conductor.
    const float r1 = (d1 < d2 ? d1 : d2) / 2.0f;
    const float r2 = (d1 < d2 ? d2 : d1) / 2.0f;
    const float er = d1 < d2 ? er1 : er2;
    const float r3 = (d3 > d4 ? d3 : d4) / 2.0f;
    const float gamma = r3 / r1;
    const float alpha = (r3 - r2) / (r3 - r1);
    cdi = kFreeSpacePermittivity * er / (100.0f * kPi) * log_term(alpha) +
          1.11e-15f * (1.0f - alpha) * (gamma - 1.0f);  // F/cm
    fk = freq_factor(r3, r1, er, f);
    cdi = fk * cdi;
    cdi = cdi * 2.0f * kPi * r3 * kCmPerInch;  // around the outer radius, F
    if (cdi < 0.0f) cdi = 0.0f;
    cd = cdi;
  }

  if (d3 == d4) return cd;

  // Outer conductor step: fringing field in the line with the wider outer conductor.
  const float r2 = (d3 < d4 ? d3 : d4) / 2.0f;
  const float r3 = (d3 < d4 ? d4 : d3) / 2.0f;
  const float er = d4 > d3 ? er2 : er1;
  const float r1 = (d1 < d2 ? d1 : d2) / 2.0f;
  const float gamma = r3 / r1;
  const float alpha = (r2 - r1) / (r3 - r1);
  cdo = kFreeSpacePermittivity * er / (100.0f * kPi) * log_term(alpha) +
        4.12e-15f * (0.8f - alpha) * (gamma - 1.4f);  // F/cm
  cdo = cdo * 2.0f * kPi * r1 * kCmPerInch;           // around the inner radius, F
  const float fko = freq_factor(r3, r1, er, f);
  cdo = cdo * fko;
  // With both conductors stepping the inner-step factor is the one reported.
  if (d1 == d2) fk = fko;
  // A negative outer part may lower the inner one; only the total is clamped.
  cd = cdi + cdo;
  if (cd < 0.0f) cd = 0.0f;
  return cd;
}

}  // namespace mx
