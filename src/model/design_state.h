// The design record: the one set of options, design inputs, per-section arrays,
// intermediate results, file names and run date shared by every routine.
// One instance lives for the whole run; it is never cleared between cycles.
#pragma once

#include "model/index_array.h"
#include "model/name20.h"

namespace mx {

// Options and counts.
struct Int1 {
  int icfg = 0;     // 1 standard circuit (shunt C first), 2 dual circuit (series L first)
  int ides = 0;     // band type for the section count; always 1 (low-pass)
  int iformat = 0;  // set to 1 after a frequency-range entry; not read
  int ifrom = 0;    // origin of the circuit: 0 start, 1 distributed synthesis, 2 distributed
                    // entered, 3 distributed synthesis of the electrical design requested,
                    // 4 electrical synthesis, 5 lumped circuit entered
  int ifunc = 0;    // 1 frequency analysis, 2 synthesis
  int imed = 0;     // set to 4 when iop is not 1; not read
  int iop = 0;      // 1 electrical (lumped), 2 distributed (coaxial)
  int isel = 0;     // operation selector between the main cycle and the dialog
  int iskirt = 0;   // 1 when N was computed from F1 and A1
  int istore = 0;   // 1 when the report also goes to the report file
  int isubop = 0;   // synthesis: 1 Chebyshev, 2 Butterworth; analysis: 1 typed, 2 data file
  int itime = 0;    // 2 once the loss-data questions are no longer asked
  int itype = 0;    // set to 1 when iop is not 1; not read
  int n = 0;        // number of sections
  int nloops = 0;   // number of frequency steps of the sweep
};

// Scalar design values.
struct Real1 {
  float am = 0;     // passband ripple, dB (magnitude)
  float a1 = 0;     // attenuation wanted at the skirt frequency, dB (magnitude)
  float dltan = 0;  // dielectric loss tangent
  float fc1 = 0;    // cutoff frequency, MHz
  float fk = 0;     // frequency factor of the last step-capacitance evaluation
  float fk1 = 0, fk2 = 0, fk3 = 0, fk4 = 0, fk5 = 0;  // fk of the five junction kinds
  float fmax = 0;   // analysis stop frequency, MHz
  float fmin = 0;   // analysis start frequency, MHz
  float fo = 0;     // not used
  float f1 = 0;     // skirt frequency, MHz
  float fstep = 0;  // analysis step frequency, MHz
  float sr = 0;     // surface roughness, inch
  float res = 0;    // conductor resistivity, ohm-inch
  float rod = 0;    // load resistance of the dual circuit, ohm
  float ros = 0;    // load resistance of the standard circuit, ohm
  float vhigh = 0;  // phase velocity in the high-impedance line, inch/s
  float vlow = 0;   // phase velocity in the low-impedance line, inch/s
  float wc = 0;     // angular cutoff frequency, rad/s
  float zhigh = 0;  // impedance of the high-impedance line, ohm
  float zil = 0;    // load reactance, ohm
  float zis = 0;    // source reactance, ohm
  float zlow = 0;   // impedance of the low-impedance line, ohm
  float zo = 0;     // system impedance level, ohm
  float zrl = 0;    // load resistance, ohm
  float zrs = 0;    // source resistance, ohm
};

// Per-section arrays. Index 0 is the source line and n+1 the load line where
// an array starts at 0.
struct Real2 {
  IndexArray<float, 0, 32> acap;    // junction capacitance of an entered coaxial circuit, F
  IndexArray<float, 0, 32> anab;    // outer diameter of each entered line, inch
  IndexArray<float, 0, 32> anad;    // inner diameter, inch
  IndexArray<float, 0, 32> anaer;   // relative dielectric constant
  IndexArray<float, 0, 32> anal;    // section length, inch
  IndexArray<float, 0, 32> anazo;   // characteristic impedance, ohm
  IndexArray2<float, 1, 31, 1, 2> discap;  // step capacitance at the source (1) and load (2) end, F
  IndexArray<float, 1, 31> g;       // prototype values g(1..n+1)
  IndexArray<float, 1, 31> serc;    // not used
  IndexArray<float, 1, 31> serl;    // series inductor at ladder position k, nH
  IndexArray<float, 1, 31> shuntc;  // shunt capacitor at ladder position k, pF
  IndexArray<float, 1, 31> shuntl;  // not used
  IndexArray<float, 0, 4> synb;     // outer diameter of each line kind, inch
  IndexArray<float, 0, 4> synd;     // inner diameter of each line kind, inch
  IndexArray<float, 0, 4> syner;    // dielectric constant of each line kind
  IndexArray<float, 0, 4> synzo;    // impedance of each line kind, ohm
  IndexArray<float, 0, 32> xlen;    // length of synthesized section j, inch
};

// Line kinds: the index into synb, synd, syner, synzo.
enum LineKind : int { kSourceLine = 0, kHighLine = 1, kLowLine = 2, kLoadLine = 3 };

struct Char1 {
  Name20 dum;   // not used
  Name20 fnid;  // distributed circuit data file
  Name20 fnie;  // lumped circuit data file
  Name20 fno;   // report file
};

// Local date and time, read once at program start.
struct DateTime {
  int imon = 0, iday = 0, iyr = 0, ihr = 0, imin = 0, isec = 0;
};

struct DesignState {
  Int1 int1;
  Real1 real1;
  Real2 real2;
  Char1 char1;
  DateTime datetime;
};

}  // namespace mx
