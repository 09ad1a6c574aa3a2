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
#pragma once

namespace mx {

// Np per inch. outer, inner diameters (inch), er relative dielectric
// constant, roughness RMS surface roughness (inch), resistivity (ohm-inch),
// loss_tangent, f in MHz. An air line (er exactly 1) has no dielectric loss
// whatever loss_tangent holds; resistivity 0 gives lossless conductors; f 0
// gives 0.
float line_attenuation(float outer, float inner, float er, float roughness, float resistivity,
                       float loss_tangent, float f);

}  // namespace mx
