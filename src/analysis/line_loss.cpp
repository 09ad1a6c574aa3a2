#include "analysis/line_loss.h"

#include <cmath>

#include "coax/geometry.h"

namespace mx {
namespace {

constexpr float kPi = 3.14159274f;
constexpr float kMu0 = 31.92f;  // permeability: f(MHz) * 0.001 * kMu0 = f(Hz) * mu0(H/inch)
constexpr float kRoughness = 1.4f;
constexpr float kTwoOverPi = 2.0f / 3.14159274f;
constexpr float kFreeSpaceWavelength = 11.8028545f;  // inch * GHz

}  // namespace

void cxloss(float& atot, float b, float d, float er, float sr, float res, float dltan, float f) {
  float acb = 0.0f;  // outer conductor
  float acd = 0.0f;  // inner conductor
  float ad = 0.0f;   // dielectric
  if (f == 0.0f) {
    atot = 0.0f;
    return;
  }
  // Surface resistance sqrt(pi f mu0 rho), ohm.
  float sres = std::sqrt(f * kPi * 0.001f * kMu0 * res);
  if (res != 0.0f) {
    // Roughness over skin depth; the correction rises from 1 (smooth) towards 2.
    const float ratio = sr * sres / res;
    const float argb = kRoughness * (ratio * ratio);
    sres = (1.0f + kTwoOverPi * std::atan(argb)) * sres;
  }
  float znot = 0.0f;
  cxzo(b, d, er, znot);
  const float alphab = 1.0f / ((kPi + kPi) * b * znot);
  const float alphad = 1.0f / ((kPi + kPi) * d * znot);
  acb = sres * alphab;
  acd = sres * alphad;
  const float wl = kFreeSpaceWavelength / (f * 0.001f);  // free-space wavelength, inch
  const float wg = wl / std::sqrt(er);                   // wavelength in the dielectric
  ad = dltan * kPi / wg;
  if (er == 1.0f) ad = 0.0f;
  atot = acb + acd + ad;
}

}  // namespace mx
