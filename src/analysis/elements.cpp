#include "analysis/elements.h"

#include <cmath>

#include "base/units.h"

namespace mx {
namespace {

constexpr float kResonanceFloor = 1.0e-15f;

// 1 - w^2 L C of an LC pair, kept away from zero so that a branch evaluated at
// its resonance gives a very large (finite) reactance or susceptance. An exact
// zero is taken as positive.
float away_from_zero(float t) {
  if (t == 0.0f) {
    t = kResonanceFloor;
  } else if (std::fabs(t) < kResonanceFloor) {
    t = std::copysign(kResonanceFloor, t);
  }
  return t;
}

float resonance_term(float c2, float w2, float c3) {
  return away_from_zero(1.0f - c2 * w2 * c3 * 1.0e-9f);
}

}  // namespace

float resonant_arm(float own, float partner) { return own / away_from_zero(1.0f - own * partner); }

bool element_two_port(Element kind, float c1, float c2, float c3, float f, TwoPort& e) {
  const float w = angular(f);
  const float w2 = w * w;
  e = TwoPort::identity();
  float& bim = e.v[3];  // series reactance, ohm
  float& cim = e.v[5];  // shunt susceptance, S
  switch (kind) {
    case Element::kSeriesL:
      bim = series_l_reactance(w, c1);
      break;
    case Element::kSeriesC:
      bim = -1.0f / (w * c1 * 1.0e-6f);
      break;
    case Element::kShuntL:
      cim = -1.0f / (w * c1 * 0.001f);
      break;
    case Element::kShuntC:
      cim = shunt_c_susceptance(w, c1);
      break;
    case Element::kSeriesParallelLC:
      bim = (c3 * w * 0.001f) / resonance_term(c2, w2, c3);
      break;
    case Element::kShuntParallelLC:
      cim = c2 * w * 1.0e-6f - 1.0f / (c3 * w * 0.001f);
      break;
    case Element::kSeriesSeriesLC:
      bim = c3 * w * 0.001f - 1.0f / (c2 * w * 1.0e-6f);
      break;
    case Element::kShuntSeriesLC:
      cim = (c2 * w * 1.0e-6f) / resonance_term(c2, w2, c3);
      break;
    default:
      return false;
  }
  return true;
}

void line_two_port(float z, float theta, float sigma, TwoPort& abcd) {
  const float ep = std::exp(sigma);
  const float em = std::exp(-sigma);
  const float sh = (ep - em) * 0.5f;
  const float ch = (ep + em) * 0.5f;
  const float s = std::sin(theta);
  const float c = std::cos(theta);
  auto& v = abcd.v;
  v[0] = ch * c;
  v[1] = sh * s;
  v[2] = z * sh * c;
  v[3] = z * ch * s;
  v[4] = sh * c * (1.0f / z);
  v[5] = ch * s * (1.0f / z);
  v[6] = ch * c;
  v[7] = sh * s;
}

}  // namespace mx
