// Warnings for designs the shop cannot make or that will not work as
// analysed, one line each on the error stream (never on the console, and
// the exit status stays as it is):
//   - a section shorter than the minimum length (--min-section);
//   - a section whose wall, the radial ring (B - D)/2 between its centre
//     conductor and the bore, is thinner than the minimum (--min-wall). It is
//     the thinnest feature the shop must hold concentric, and the
//     low-impedance line's Zo is nearly proportional to it: with diameters
//     held to +/-0.0005 inch a 0.005 inch ring still gives Zo within about
//     10 %;
//   - an analysis up to a frequency above the lowest TE11 cutoff of any line
//     (source, sections, load): higher-order modes can propagate there and the
//     TEM analysis no longer holds;
//   - a line whose peak power is below the power asked (--power);
//   - a length tolerance given (--length-tol) above the shortest section, or
//     a diameter tolerance given (--diameter-tol) above the thinnest wall.
// Section, wall and power are checked when a coaxial design first appears (a
// distributed synthesis, an analysis of an entered coaxial circuit), the
// TE11 cutoff after every coaxial analysis. All of this only when the command
// line asks for a drawing or gives a minimum, a power or a tolerance: a run without
// options is the dialog alone, its error stream empty.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "app/coax_lines.h"
#include "app/program.h"

namespace mx {

// True when the options ask for the warnings.
bool shop_warnings_asked(const RunOptions& o);

// The warnings for the lines of one filter; `highest_mhz` is the highest
// frequency analysed (0: no analysis).
std::vector<std::string> design_warnings(const CoaxFilterLines& f, const RunOptions& limits);
std::vector<std::string> analysis_warnings(const CoaxFilterLines& f, float highest_mhz);

// Writes each warning as one line "mandrelix: warning: ..." to err.
void print_warnings(std::ostream& err, const std::vector<std::string>& warnings);

}  // namespace mx
