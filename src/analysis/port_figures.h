// Port figures of a terminated two-port: transmission, input impedance,
// mismatch, and the group delay of the filter in the design record.
#pragma once

#include "analysis/coax_cascade.h"
#include "analysis/two_port.h"
#include "model/design_record.h"

namespace mx {

// Figures of the two-port between source Rs + jXs and load Rl + jXl, each
// held at the limit of its report column.
struct PortFigures {
  float loss_db = 0;         // 10 log10 |S21|^2 ("Loss"; |S21|^2 floored at 1e-30, at most 9999.99)
  float phase_deg = 0;       // phase of S21, degrees in (-180, 180] ("Phase")
  float return_loss_db = 0;  // 20 log10 |reflection| (minus infinity for a perfect match)
  float vswr = 0;            // at the input against the source ("VSWR"; at most 999.99)
  float zin_re = 0;          // input impedance with the load fitted, ohm (at most 99999.99)
  float zin_im = 0;
};

// The part of the port figures that depends only on the terminations, worked
// out once for a sweep: |ZL|^2, ZS conj(ZL) and sqrt(ZS/ZL) (a power, an
// arctangent, a sine and a cosine).
struct PortTerms {
  Terminations t;
  float zl2 = 0;  // |ZL|^2
  float zsr = 0;  // ZS conj(ZL)
  float zsi = 0;
  float qr = 0;  // sqrt(ZS/ZL)
  float qi = 0;
};

PortTerms port_terms(const Terminations& t);

PortFigures port_figures(const TwoPort& rs, const PortTerms& p);
PortFigures port_figures(const TwoPort& rs, const Terminations& t);

// Only the phase of S21, degrees: the same arithmetic as port_figures.
float transmission_phase(const TwoPort& rs, const PortTerms& p);
float transmission_phase(const TwoPort& rs, const Terminations& t);

// The group delay from two phases: the relative frequency step, the phase in
// radians, whether the phase changed sign across the step (then the lower
// step is taken), and the delay (ns) from the phases p0 at f and pp at fp
// (radians, MHz). group_delay and the sweep both use these.
inline constexpr float kDelayStep = 1.0001f;
float phase_radians(float phase_deg);
bool phase_wrapped(float p0, float pp);
float delay_from_phases(float f, float p0, float fp, float pp);

// The two-port of the filter in the design record at f (MHz): the coaxial
// cascade for a distributed origin, the lumped ladder otherwise.
void filter_two_port(DesignRecord& ds, const EndSteps& ends, float f, TwoPort& rs);

// Group delay (ns) at f (MHz) from the phase phase_deg found there and the
// phase one part in 10^4 higher in frequency, or lower when the phase changes
// sign across the upper step (a pass through +-180 degrees).
float group_delay(DesignRecord& ds, const EndSteps& ends, float f, float phase_deg);

}  // namespace mx
