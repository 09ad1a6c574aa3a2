#include "line/attenuation.h"

#include <cmath>

#include "base/units.h"
#include "line/impedance.h"

namespace mx {
namespace {

// mu0 in the units of the surface resistance: f(MHz) * 0.001 * kMu0 = f(Hz) * mu0(H/inch).
constexpr float kMu0 = 31.92f;
constexpr float kRoughness = 1.4f;
constexpr float kTwoOverPi = 2.0f / kPi;

}  // namespace

float line_attenuation(float outer, float inner, float er, float roughness, float resistivity,
                       float loss_tangent, float f) {
  if (f == 0.0f) return 0.0f;
  // Surface resistance sqrt(pi f mu0 rho), ohm.
  float sres = std::sqrt(f * kPi * 0.001f * kMu0 * resistivity);
  if (resistivity != 0.0f) {
    // Roughness over skin depth; the correction rises from 1 (smooth) towards 2.
    const float ratio = roughness * sres / resistivity;
    const float argb = kRoughness * (ratio * ratio);
    sres = (1.0f + kTwoOverPi * std::atan(argb)) * sres;
  }
  const float znot = line_impedance(outer, inner, er);
  const float alphab = 1.0f / ((kPi + kPi) * outer * znot);
  const float alphad = 1.0f / ((kPi + kPi) * inner * znot);
  const float acb = sres * alphab;                  // outer conductor
  const float acd = sres * alphad;                  // inner conductor
  const float wl = kLightInchPerNs / (f * 0.001f);  // free-space wavelength, inch
  const float wg = wl / std::sqrt(er);              // wavelength in the dielectric
  float ad = loss_tangent * kPi / wg;               // dielectric
  if (er == 1.0f) ad = 0.0f;
  return acb + acd + ad;
}

}  // namespace mx
