// Ratings of a coaxial cross-section: where its first higher-order mode
// starts, and how much peak power it carries before the dielectric breaks
// down. B outer and D inner diameter in inch, Er relative dielectric constant.
#pragma once

namespace mx {

// Cutoff frequency of the TE11 mode, GHz ("TE11 Cutoff"): the frequency at
// which the mean circumference pi (B + D) / 2 is one wavelength in the
// dielectric,
//   fc = c / (sqrt(Er) * pi (B + D) / 2).
// The classic approximation of the first higher-order mode of a coaxial
// line, within a few percent for B/D up to about 5. Held at 9999.99 GHz.
float te11_cutoff_ghz(float outer, float inner, float er);

// Peak power as the reports show it (column "Peak Power (kW)"): the power of
// the TEM wave whose field at the surface of the inner conductor reaches a
// fixed breakdown strength Emax = 36830. For a line of inner radius a = D/2
// the surface field is E = V / (a ln(B/D)) and P = V^2 / (2 Zo), so
//   P = Emax^2 a^2 ln(B/D) sqrt(Er) / 118.962 / 10^4,
// where 118.962 takes the place of 2 * eta0 / (2 pi) and the 10^4 folds in
// the units of the rating. Holds for the TEM mode, below the TE11 cutoff; no
// margin for humidity, altitude or mismatch. Held at 99999.99.
float peak_power_kw(float outer, float inner, float er);

}  // namespace mx
