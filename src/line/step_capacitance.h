// Shunt capacitance of a step between two coaxial lines: the excess charge of
// the fringing field where one conductor changes diameter.
//
// For a step of the inner conductor from radius a to c inside an outer
// conductor of radius b (a < c < b), with alpha = (b - c) / (b - a) and
// tau = b / a, the capacitance per centimetre of the circumference 2 pi b is
//   C / (2 pi b) = eps0 Er / (100 pi) * L(alpha) + 1.11e-15 (1 - alpha)(tau - 1)   F/cm,
//   L(alpha) = (alpha^2 + 1) / alpha * ln((1 + alpha) / (1 - alpha))
//              - 2 ln(4 alpha / (1 - alpha^2)),
// eps0 in F/m (the 1/100 turns it into F/cm). A step of the outer conductor
// from radius c to b around an inner conductor of radius a uses
// alpha = (c - a) / (b - a), the circumference 2 pi a, and the correction
// 4.12e-15 (0.8 - alpha)(tau - 1.4). Both closed forms fit field solutions
// within about 0.3 fF/cm for 0.01 <= alpha <= 0.7 and 1.5 <= tau <= 6; outside
// that they are extrapolations.
//
// Near the cutoff of the first higher-order mode of the radial gap the step
// stores more energy; the static value is multiplied by
//   k = 1 / sqrt(1 - (2 (b - a) / lambda)^2),
// lambda the wavelength in the dielectric of the gap. Above that cutoff the
// root has no real value: k and the capacitance are NaN and are carried on as
// they are.
//
// A sweep evaluates the same junctions at many frequencies, so the
// computation is split in two: StepJunction holds everything that depends
// only on the diameters and dielectrics (the logarithms of the static
// capacitance, the square root of Er, the gap), and step_capacitance(
// StepJunction, f) applies the frequency factor with the expressions of the
// single call, so either way gives the same bits.
#pragma once

namespace mx {

// The frequency-independent part of the factor k of one step.
struct GapFactor {
  float sqrt_er = 0;  // of the dielectric in the gap
  float span = 0;     // 2 (b - a), cm
};

// The frequency-independent part of one junction.
struct StepJunction {
  bool inner_step = false;  // the inner diameters differ
  bool outer_step = false;  // the outer diameters differ
  float inner_static = 0;   // inner step: static capacitance, F/cm
  float inner_radius = 0;   // inner step: the outer radius it runs around, inch
  GapFactor inner_factor;
  float outer_static = 0;  // outer step: static capacitance around the inner radius, F
  GapFactor outer_factor;
};

StepJunction step_junction(float d1, float d2, float d3, float d4, float er1, float er2);

// The junction's capacitance (F) at f (MHz), with factor as below.
float step_capacitance(const StepJunction& j, float f, float& factor);

// Line 1 has inner diameter d1, outer d3 and dielectric er1; line 2 inner d2,
// outer d4, dielectric er2 (inches). f in MHz; 0 or less gives the static
// value. Returns the capacitance in farads (never negative unless NaN).
// factor receives the frequency factor k (of the inner step when both
// conductors step) and is left untouched when neither diameter changes.
float step_capacitance(float d1, float d2, float d3, float d4, float er1, float er2, float f,
                       float& factor);

}  // namespace mx
