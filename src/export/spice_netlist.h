// The SPICE netlist of a lumped ladder, as ngspice reads it: the filter as
// `.subckt FILTER in out` (ground is node 0) and a test bench that drives it
// through the source resistance into the load resistance and sweeps the
// analysis's frequencies, printing |S21| in dB.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace mx {

struct SpiceArm {
  bool series = false;  // a series inductor (nH), else a shunt capacitor (pF)
  float value = 0;
  // The resonating partner, 0 for none: pF of the capacitor across a series
  // inductor, nH of the inductor in series with a shunt capacitor.
  float partner = 0;
};

struct SpiceLadder {
  std::string title;            // one line
  std::string program_version;  // "1.0"
  std::vector<SpiceArm> arms;   // from the source
  float rs = 0, rl = 0;         // terminations, ohm
  float start_mhz = 0, stop_mhz = 0;
  int points = 0;  // of the sweep, both ends included
};

// Why the ladder cannot be written (one line), or nothing: a value or a
// termination that is not a positive finite number, a sweep that is not
// ascending from above 0 Hz.
std::optional<std::string> spice_refusal(const SpiceLadder& l);

// Writes the netlist. Every value is written with the nine significant
// digits that give back its float.
void write_spice_netlist(std::ostream& os, const SpiceLadder& l);

}  // namespace mx
