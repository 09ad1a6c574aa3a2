// Full-wave model of a stepped-impedance coaxial low-pass filter: a Python script for the openEMS
// FDTD field solver (Debian's python3-openems) that simulates the filter and writes its
// S-parameters.
//
//   python3 filter.py out.s2p [--resolution coarse|fine|finest] [--threads N] [--keep DIR]
//
// The script is self-contained: a data block (the lines in inches, the reference impedances, the
// frequencies) followed by the model, which is the same for every filter. The filter is meshed as
// a body of revolution: a wedge of a cylindrical mesh with magnetic side walls, exact for the
// rotationally symmetric TEM excitation and the TM0n modes the steps excite. The conductors are
// perfect and the dielectric lossless. TEM ports in the source and load lines are de-embedded to
// the filter's end faces, the reference planes of the program's analysis; the S-parameters are
// referred to the given source and load resistances. A filter that is not symmetric end to end is
// simulated twice (excited from each end).
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "export/filter_drawing.h"

namespace mx {

struct EmModelData {
  std::string program_version;
  std::string title;                    // one line, what the file models
  DrawingLine source, load;             // end lines (their length is not used)
  std::vector<DrawingLine> sections;    // 1..N from the source end, each with its length
  float rs = 0, rl = 0;                 // reference resistances of ports 1 and 2, ohm
  float cutoff_mhz = 0, ripple_db = 0;  // of the design, for the comparison (0: not known)
  std::vector<float> f_mhz;             // frequencies of the result (those at or below 0 dropped)
};

// Why the filter cannot be modelled (a dimension not positive or not finite, a centre conductor
// not inside its bore, Er below 1, a reference not positive, no frequency above 0), or nothing.
std::optional<std::string> em_model_refusal(const EmModelData& d);

// The script. The data must pass em_model_refusal.
void write_em_model(std::ostream& os, const EmModelData& d);

}  // namespace mx
