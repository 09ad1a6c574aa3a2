// Touchstone export of an analysed sweep: the two-port S-parameters of the
// filter, real and imaginary parts, frequency in MHz.
#pragma once

#include <ostream>

#include "export/sweep_data.h"

namespace mx {

// Writes the sweep as a Touchstone file. The S-parameters come from each
// point's chain matrix, referred to Rs at port 1 and Rl at port 2 (the
// reactive parts Xs and Xl are left out; a comment says so when they are not
// zero). With Rs == Rl the file is a version 1 file, otherwise a version 2.0
// file with a [Reference] line for the two ports. With info.reference_ohm
// set they are referred to that impedance at both ports instead, in a
// version 1 file ("# MHz S RI R <Z>").
//
// Only rows a reader accepts are written: a row is dropped when its frequency
// is negative or not finite (0 MHz is kept: the format allows a DC point),
// when its frequency is not above the last row written (the format needs
// strictly rising frequencies), or when its S-parameters are not finite. One
// comment line at the top tells how many rows were dropped for each reason.
// When Rs or Rl is not a positive finite number no S-parameters exist: the
// file then holds its comments (saying so) and the option line, and no rows.
void write_touchstone(std::ostream& os, const SweepData& d);

}  // namespace mx
