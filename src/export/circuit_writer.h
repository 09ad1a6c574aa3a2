// Writing of the program's own circuit data files: the lumped circuit file
// (title, configuration, element values) and the distributed circuit file
// (title, section count, coaxial line dimensions). Every number takes the
// first 13 columns of its line, where the readers look for it, and reads back
// to the very float that was written; a comment naming the entry follows.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace mx {

struct LumpedCircuit {
  std::string title;
  int configuration;          // 1 standard (shunt C first), 2 dual (series L first)
  std::vector<float> values;  // in ladder order from the source: pF for shunt C, nH for series L
  // Empty, or one per value: pF of the capacitor across a series L, nH of the
  // inductor in series with a shunt C, 0 for none (the resonant form).
  std::vector<float> partners;
};

struct CoaxLine {
  float outer, inner, er, length;  // inches; length is not used for the source and load lines
};

struct CoaxCircuit {
  std::string title;
  CoaxLine source;
  std::vector<CoaxLine> sections;  // from the source to the load
  CoaxLine load;
};

// Width of a number field in the circuit data files.
inline constexpr std::size_t kFieldWidth = 13;

// The text of v that fits in kFieldWidth columns and that the files' reader
// (blanks ignored, E exponent) reads back to exactly v: the shortest
// round-trip digits in plain notation when they fit, else with a compact
// exponent ("1.2345678E-5"), else with an integer mantissa ("123456789E-46").
// Every finite float of either sign with at most 8 significant digits fits,
// and so does every non-negative finite float: the longest case, nine digits
// and a two-digit negative exponent, is exactly 13 columns. Empty for NaN and
// infinities, and for the negative values that would need 14 columns.
std::optional<std::string> f13_text(float v);

// Writes the lumped circuit file: the title on line 1 (CR and LF removed),
// the configuration on line 2 and one element value per line; with partners,
// the configuration of the resonant form (11 standard, 12 dual) and each value
// followed by its partner's. A value with no
// exact 13-column text (NaN, infinity) is written as 13 asterisks, which the
// reader refuses, with a comment saying why; it never reads as another number.
void write_lumped_circuit(std::ostream& os, const LumpedCircuit& c);

// Writes the distributed circuit file: title, number of sections, the source
// line (outer diameter B, inner diameter D, dielectric constant Er), for each
// section LENGTH, B, D, Er, then the load line; dimensions in inches. Values
// are written as for the lumped file; the comment of a section's length tells
// whether the section is of lower or higher impedance than the source line.
void write_coax_circuit(std::ostream& os, const CoaxCircuit& c);

}  // namespace mx
