// Response plot of a frequency sweep as one self-contained SVG picture (960 x 720 px).
//
// Top panel: |S21| and |S11| in dB (negative: 0 dB is no loss, no reflection) against frequency in
// MHz, drawn from the report's Loss and return loss (against the source and load impedances) or,
// with info.reference_ohm set, from the chain matrix referred to that impedance at both ports, with
// the cutoff FC1 as a dashed line and the passband ripple band shaded when the sweep came from a
// synthesis. Bottom panel: group delay in ns.
//
// Reading the picture back: each panel is a <g class="panel"> whose attributes data-x0/data-x1
// (MHz) map linearly to data-px0/data-px1 (px) and data-y0/data-y1 (dB or ns) to
// data-py0/data-py1. Each curve is drawn as <polyline class="loss" | "return-loss" | "delay">
// elements; a polyline's data-first-row is the sweep index of its first point and its points belong
// to consecutive rows. A run of a single row is drawn as a <circle> with the same class and a
// data-row attribute.
//
// Rules:
// - A row whose frequency or value is NaN or infinite leaves a gap in that curve (the polyline is
//   split). Only an |S11| of -inf dB (a perfect match) is drawn, at the floor of the dB axis.
//   A note under the title counts the rows holding a non-finite value (|S11| -inf aside).
// - dB axis: covers 0 dB, the ripple band and every finite |S21| and |S11| value, but never
//   reaches below -200 dB or above +50 dB; values beyond are drawn on the axis edge.
// - Delay axis: with p90 the 90th percentile of |delay| over the finite rows, values with
//   |delay| > 5 * p90 are taken as spikes where the phase wrapped. The axis covers 0 and the other
//   values; spikes are drawn on the axis edge and marked with a triangle (class "delay-clipped").
// - The FC1 line is drawn when the cutoff lies on the frequency axis (the subtitle always gives
// it).
//   With a ripple and a cutoff, a "passband detail" inset (<g class="inset">, curve class
//   "loss-detail") shows |S21| up to 1.15 FC1 against the ripple band, placed where it
//   covers no curve and left out when there is no such place.
// - Axis ranges are widened to whole 1-2-5 tick steps; a one-point or constant range is widened
//   around the value, so a one-frequency sweep shows a marked point on sensible axes.
#pragma once

#include <cstddef>
#include <limits>
#include <ostream>
#include <span>

#include "export/sweep_data.h"

namespace mx {

// A tick scale: lo and hi are whole multiples of step, step is 1, 2 or 5 times a power of ten.
struct AxisScale {
  double lo = 0.0;
  double hi = 1.0;
  double step = 1.0;
};

// The smallest 1-2-5 scale covering [lo, hi] in at most max_intervals tick intervals (clamped to
// 2..100). An empty or one-value range is widened by 10 % of the value (1 when the value is 0);
// non-finite bounds are replaced by 0 and 1.
AxisScale nice_axis_scale(double lo, double hi, int max_intervals = 8);

// The dB axis reaches no lower and no higher than these.
inline constexpr double kResponseDbFloor = -200.0;
inline constexpr double kResponseDbCeiling = 50.0;

// The value ranges of the response plot's panels before they are widened to tick steps.
struct ResponseRanges {
  double db_lo = 0.0, db_hi = 0.0;                               // dB panel
  double delay_lo = 0.0, delay_hi = 0.0;                         // delay panel, ns
  double spike_limit = std::numeric_limits<double>::infinity();  // |delay| above it: a spike
  std::size_t spikes = 0;                                        // delay values above the limit
};

// The ranges of the values the panels draw: db holds the |S21| and |S11| values (-inf in it is a
// perfect match, leaving 10 dB and at least down to -40 dB below the finite values for it), delay
// the group delays (ns), ripple_db the ripple band drawn (0: none). Non-finite values are passed
// over; the rules are those of the header comment.
ResponseRanges response_ranges(std::span<const double> db, std::span<const double> delay,
                               double ripple_db);

// Writes the response plot of d as a complete SVG document.
void write_response_plot(std::ostream& os, const SweepData& d);

}  // namespace mx
