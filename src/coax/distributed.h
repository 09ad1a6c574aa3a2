// The distributed synthesis computation: turns the lumped ladder in the design
// record into section lengths of a stepped-impedance coaxial filter.
#pragma once

#include <vector>

#include "model/design_state.h"
#include "model/index_array.h"

namespace mx {

// Realizability code 4: the lengths did not settle within this many passes.
inline constexpr int kMaxLengthPasses = 200;

struct DistributedResult {
  int ierr = 0;      // 0 done; 1, 2, 3 not realizable; 4 did not settle
  int nsect = 0;     // section named by the realizability message
  float zmust = 0;   // impedance named by the realizability message, ohm
  int passes = 0;    // passes made
  float disc1 = 0, disc2 = 0, disc3 = 0, disc4 = 0, disc5 = 0;  // junction capacitances, F
  float exlen1 = 0, exlen2 = 0;                                 // end corrections, inch
  float mode1 = 0, mode2 = 0, mode3 = 0, mode4 = 0;  // TE11 cutoff of line kinds 0..3, GHz
  float pwr1 = 0, pwr2 = 0, pwr3 = 0, pwr4 = 0;      // peak power of line kinds 0..3, kW
  IndexArray<float, 1, 31> xprox;                    // proximity factor of each section
  // xlen(1) and xlen(n) as left by the end corrections, so that lengths taken
  // off for the lumped-equivalent check can be put back exactly.
  float xlen_first = 0, xlen_last = 0;
};

// Runs the whole computation on ds (ifrom = 1, discap, xlen with end
// corrections, wc, vlow, vhigh, zlow, zhigh, fk1..fk5) and fills r.
void distributed_synthesis(DesignState& ds, DistributedResult& r);

// The same computation with another pass limit (code 4 when it is reached).
// When changes is given, the largest length change of every completed pass
// is appended to it.
void distributed_synthesis(DesignState& ds, DistributedResult& r, int max_passes,
                           std::vector<float>* changes);

// One pass of section lengths; see the implementation for the codes.
void cxlen(DesignState& ds, int& ierr, int loop, int& nsect, float& zmust);

// Proximity factor (0..1) of a high-impedance section of length x between
// inner diameters r1 (high) and r2 (low) and outer diameter r3.
void cxprox(float r1, float r2, float r3, float x, float& p);

// Length to add to an end section for a junction capacitance cap (F).
void addlen(const DesignState& ds, float cap, float& exlen, float xleno, float zoline);

// Lumped equivalents of the synthesized sections and their contributions.
using CheckValues = IndexArray<float, 1, 31>;
using CheckParts = IndexArray2<float, 1, 31, 1, 4>;
void check(const DesignState& ds, CheckValues& value, CheckParts& value2);

// Take the end corrections of a completed run r off xlen (lengths of the
// converged passes, as check needs them), and put them back afterwards.
// Both do nothing unless r finished with code 0.
void remove_end_corrections(DesignState& ds, const DistributedResult& r);
void restore_end_corrections(DesignState& ds, const DistributedResult& r);

}  // namespace mx
