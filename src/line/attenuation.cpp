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

LineLoss line_loss(float outer, float inner, float er, float loss_tangent) {
  LineLoss l;
  const float znot = line_impedance(outer, inner, er);
  l.alphab = 1.0f / ((kPi + kPi) * outer * znot);
  l.alphad = 1.0f / ((kPi + kPi) * inner * znot);
  l.sqrt_er = std::sqrt(er);
  l.tan_pi = loss_tangent * kPi;
  l.air = er == 1.0f;
  return l;
}

SurfaceAtFrequency surface_at_frequency(float roughness, float resistivity, float f) {
  SurfaceAtFrequency s;
  s.f = f;
  // Surface resistance sqrt(pi f mu0 rho), ohm.
  s.sres = std::sqrt(f * kPi * 0.001f * kMu0 * resistivity);
  if (resistivity != 0.0f) {
    // Roughness over skin depth; the correction rises from 1 (smooth) towards 2.
    const float ratio = roughness * s.sres / resistivity;
    const float argb = kRoughness * (ratio * ratio);
    s.sres = (1.0f + kTwoOverPi * std::atan(argb)) * s.sres;
  }
  s.wl = kLightInchPerNs / (f * 0.001f);  // free-space wavelength, inch
  return s;
}

float line_attenuation(const LineLoss& line, const SurfaceAtFrequency& s) {
  if (s.f == 0.0f) return 0.0f;
  const float acb = s.sres * line.alphab;  // outer conductor
  const float acd = s.sres * line.alphad;  // inner conductor
  const float wg = s.wl / line.sqrt_er;    // wavelength in the dielectric
  float ad = line.tan_pi / wg;             // dielectric
  if (line.air) ad = 0.0f;
  return acb + acd + ad;
}

float line_attenuation(float outer, float inner, float er, float roughness, float resistivity,
                       float loss_tangent, float f) {
  return line_attenuation(line_loss(outer, inner, er, loss_tangent),
                          surface_at_frequency(roughness, resistivity, f));
}

}  // namespace mx
