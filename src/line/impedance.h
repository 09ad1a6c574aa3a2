// Characteristic impedance of a coaxial line, and the diameter that gives a
// wanted impedance.
//
//   Zo = eta0 / (2 pi sqrt(Er)) * ln(B / D)
//
// B outer and D inner conductor diameter (any one unit, inch in this
// program), Er the relative dielectric constant, eta0 the free-space wave
// impedance. Exact for the TEM mode of a uniform line.
#pragma once

namespace mx {

// Zo in ohm.
float line_impedance(float outer, float inner, float er);

// Which diameter solve_diameter finds from the other one.
enum class MissingDiameter { kInner, kOuter };

struct DiameterSolution {
  bool ok = false;  // false: no usable line for this impedance
  float outer = 0;  // inch
  float inner = 0;  // inch
};

// The missing diameter of a line of impedance zo (ohm) and dielectric er
// whose other diameter is given (inch). Not ok when zo is outside
// 0.01..999.99 ohm, ln(B/D) would be 17 or more, the inner diameter is not
// below the outer one, or either lies outside 0.0001..99.99 inch; the
// diameters then hold what was computed, if anything.
DiameterSolution solve_diameter(float outer, float inner, float er, float zo,
                                MissingDiameter missing);

}  // namespace mx
