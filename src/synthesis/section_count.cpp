#include "synthesis/section_count.h"

#include <cmath>

#include "base/convert.h"

namespace mx {
namespace {

// Inverse hyperbolic cosine for x >= 1, written out as the logarithm.
float arccosh(float x) { return std::log(x + std::sqrt(x * x - 1.0f)); }

}  // namespace

float least_skirt_attenuation_db(Response response, float ripple_db) {
  const bool rippled = response == Response::kChebyshev || response == Response::kElliptic;
  return rippled ? ripple_db : kButterworthLeastSkirtDb;
}

SectionCount section_count(float am, float a1, float fc, float f1, Response response) {
  SectionCount out;
  const bool chebyshev = response == Response::kChebyshev;

  // Skirt frequency on the normalised low-pass prototype.
  const float freq = f1 / fc;
  if (!(a1 > am) || freq <= 0.0f) return out;

  float raw;
  float tp = 0.0f;
  if (!chebyshev) {
    raw = std::log(std::pow(10.0f, a1 / 10.0f) - 1.0f) / (2.0f * std::log(freq));
  } else {
    tp = std::pow(10.0f, am / 10.0f) - 1.0f;
    const float temp = std::sqrt((std::pow(10.0f, a1 / 10.0f) - 1.0f) / tp);
    if (freq >= 1.0f) {
      raw = arccosh(temp) / arccosh(freq);
    } else {
      raw = std::acos(temp) / std::acos(freq);
    }
  }

  // Round up, except for a count that overshoots a whole number by less than
  // about a thousandth.
  int n = trunc_int(raw + 0.999f);
  if (n <= 2) n = 2;

  const float rn = static_cast<float>(n);
  float a2;
  if (response == Response::kButterworth) {
    a2 = 10.0f * std::log10(1.0f + std::pow(freq, 2.0f * rn));
  } else if (freq >= 1.0f) {
    const float c = std::cosh(rn * arccosh(freq));
    a2 = 10.0f * std::log10(1.0f + tp * (c * c));
  } else {
    const float c = std::cos(rn * std::acos(freq));
    a2 = 10.0f * std::log10(1.0f + tp * (c * c));
  }
  out.ok = true;
  out.n = n;
  out.reached_db = a2;
  return out;
}

}  // namespace mx
