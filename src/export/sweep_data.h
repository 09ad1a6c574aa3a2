// export/sweep_data.h
#pragma once
#include <array>
#include <string>
#include <vector>
namespace mx {
// One analysed frequency: the chain (ABCD) matrix of the filter and the port figures the report
// prints.
struct SweepPoint {
  float f_mhz = 0;
  // A re, A im, B re, B im, C re, C im, D re, D im (B in ohm, C in siemens)
  std::array<float, 8> abcd{1, 0, 0, 0, 0, 0, 1, 0};
  float zin_re = 0,
        zin_im = 0;     // input impedance with the load fitted, ohm (report caps at 99999.99)
  float vswr = 0;       // input VSWR against the source (report caps at 999.99)
  float loss_db = 0;    // 10 log10 |S21|^2 (the report's "Loss" column, negative in the stopband)
  float phase_deg = 0;  // phase of S21, degrees
  float delay_ns = 0;   // group delay, ns
  float return_loss_db = 0;  // 20 log10 |input reflection| (negative; -inf for a perfect match)
};
// What was analysed.
struct SweepInfo {
  std::string program_version;             // e.g. "Mandrelix 1.1"
  bool coaxial = false;                    // false: lumped LC ladder
  int sections = 0;                        // N
  std::string response;                    // "Chebyshev", "Butterworth" or "User-defined"
  std::string configuration;               // "standard", "dual" or "" (not known)
  float rs = 50, xs = 0, rl = 50, xl = 0;  // source and load impedance, ohm
  float cutoff_mhz = 0;                    // FC1 when the circuit came from a synthesis, else 0
  float ripple_db = 0;                     // passband ripple Am of a Chebyshev synthesis, else 0
  // The one real impedance, ohm, the S-parameters of the Touchstone file, the CSV's S columns and
  // the plot are referred to at both ports (--reference-ohm); 0: Rs at port 1 and Rl at port 2
  // for the S-parameters, the report's own loss and return loss for the plot.
  double reference_ohm = 0;
};
struct SweepData {
  SweepInfo info;
  std::vector<SweepPoint> points;  // in sweep order: f = fmin + fstep*k (may repeat or fall if the
                                   // step is tiny relative to f; rows may hold NaN or +-Inf)
};
}  // namespace mx
