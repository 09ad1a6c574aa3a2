// Attenuation constant of a uniform coaxial line: conductor loss of both
// conductors, raised by surface roughness, and dielectric loss.
//
// Conductor loss of a conductor of diameter x: alpha_c = Rs / (2 pi x Zo) Np
// per unit length, with the surface resistance Rs = sqrt(pi f mu0 rho) (skin
// effect; holds while the skin depth is small against the diameters).
// Roughness multiplies Rs by 1 + (2/pi) atan(1.4 (Delta/delta)^2), Delta the
// RMS roughness and delta the skin depth (delta = rho / Rs): the classic
// empirical fit that rises from 1 (smooth) towards 2 (very rough).
// Dielectric loss: alpha_d = pi tan(delta) / lambda_d Np per unit length,
// lambda_d the wavelength in the dielectric.
//
// A sweep evaluates the same lines at many frequencies, so the computation is
// split in two: the part that depends only on a line's cross-section
// (LineLoss: its impedance and the logarithm in it, the square root of Er)
// and the part that depends only on the frequency and the metal, the same for
// every line (SurfaceAtFrequency: the surface resistance with its roughness
// term, the free-space wavelength). line_attenuation(LineLoss,
// SurfaceAtFrequency) combines them with the expressions of the single call,
// so either way gives the same bits.
#pragma once

namespace mx {

// The frequency-independent part of one line.
struct LineLoss {
  float alphab = 0;   // 1 / (2 pi B Zo): outer-conductor loss per ohm of surface resistance
  float alphad = 0;   // 1 / (2 pi D Zo): inner conductor
  float sqrt_er = 0;  // turns the free-space wavelength into the one in the dielectric
  float tan_pi = 0;   // loss_tangent * pi
  bool air = false;   // er exactly 1: no dielectric loss
};

// The line-independent part at one frequency f (MHz).
struct SurfaceAtFrequency {
  float f = 0;
  float sres = 0;  // surface resistance with the roughness correction, ohm
  float wl = 0;    // free-space wavelength, inch
};

// outer, inner diameters (inch), er relative dielectric constant,
// loss_tangent as in line_attenuation.
LineLoss line_loss(float outer, float inner, float er, float loss_tangent);

// roughness RMS surface roughness (inch), resistivity (ohm-inch), f in MHz.
SurfaceAtFrequency surface_at_frequency(float roughness, float resistivity, float f);

// Np per inch of the line at the frequency of s.
float line_attenuation(const LineLoss& line, const SurfaceAtFrequency& s);

// Np per inch. outer, inner diameters (inch), er relative dielectric
// constant, roughness RMS surface roughness (inch), resistivity (ohm-inch),
// loss_tangent, f in MHz. An air line (er exactly 1) has no dielectric loss
// whatever loss_tangent holds; resistivity 0 gives lossless conductors; f 0
// gives 0.
float line_attenuation(float outer, float inner, float er, float roughness, float resistivity,
                       float loss_tangent, float f);

}  // namespace mx
