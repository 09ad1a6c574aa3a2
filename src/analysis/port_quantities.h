// Port quantities of a terminated two-port and the group delay of the filter
// in the design record.
#pragma once

#include "analysis/two_port.h"
#include "model/design_state.h"

namespace mx {

// Terminations: source zrs + j zis, load zrl + j zil (ohm). From rs:
//   phf  phase of S21, degrees in (-180, 180];
// and, only when igd is 0 (otherwise these keep what they held):
//   il   10 log10 |S21|^2, dB (|S21|^2 floored at 1e-30, held at most 9999.99),
//   zinr, zini  input impedance with the load fitted (each held at most 99999.99),
//   vswr at the input against the source (|reflection| held at 0.9995, VSWR at 999.99),
//   rtl  20 log10 |reflection| (minus infinity for a perfect match).
void lddrtg(int igd, float& il, float& phf, const TwoPort& rs, float& rtl, float& vswr, float zil,
            float& zini, float& zinr, float zis, float zrl, float zrs);

// Group delay td (ns) at f (MHz) from the phase phf (degrees) found there and
// the phase one part in 10^4 higher in frequency, or lower when the phase
// changes sign across the upper step (a pass through +-180 degrees). The
// coaxial cascade is used when ifrom is 1 or 2, the lumped ladder otherwise.
void legroup(DesignState& ds, float disc2, float disc5, float f, float phf, float& td);

}  // namespace mx
