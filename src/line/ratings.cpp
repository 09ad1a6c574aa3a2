#include "line/ratings.h"

#include <cmath>

#include "base/units.h"

namespace mx {
namespace {

constexpr float kBreakdownField = 36830.0f;  // Emax of the rating
constexpr float kMaxCutoff = 9999.99f;       // GHz
constexpr float kMaxPower = 99999.99f;       // kW

}  // namespace

float te11_cutoff_ghz(float outer, float inner, float er) {
  const float speed = kLightInchPerNs / std::sqrt(er);  // inch per ns in the dielectric
  const float wavlen = (outer + inner) * kPi / 2.0f;    // mean circumference, inch
  float cutoff = speed / wavlen;
  if (cutoff > kMaxCutoff) cutoff = kMaxCutoff;
  return cutoff;
}

float peak_power_kw(float outer, float inner, float er) {
  float power = std::log(outer / inner) * (kBreakdownField * kBreakdownField) * (inner / 2.0f) *
                (inner / 2.0f) * std::sqrt(er) / 118.961998f;
  power = power / 10000.0f;
  if (power > kMaxPower) power = kMaxPower;
  return power;
}

}  // namespace mx
