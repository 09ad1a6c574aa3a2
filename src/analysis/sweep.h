// The frequency sweep of an analysis: the response of the filter in the
// design record at every frequency start + step * k, k = 0..steps.
#pragma once

#include <vector>

#include "analysis/coax_cascade.h"
#include "analysis/port_figures.h"
#include "analysis/two_port.h"
#include "model/design_record.h"

namespace mx {

// One analysed frequency: the report's row and the two-port it came from.
struct SweepRow {
  float f_mhz = 0;
  PortFigures figures;
  float delay_ns = 0;  // "Time Delay"
  TwoPort two_port;    // chain matrix of the filter at f
};

// The response at f: the cascade chosen by the option (lumped ladder or
// coaxial filter), its port figures and the group delay.
SweepRow analyse_point(DesignRecord& ds, const EndSteps& ends, float f);

// Every point of ds.sweep, in order. Each frequency comes from its index, so
// rounding does not build up along the sweep. The record is left as the last
// evaluation leaves it (the entered circuit's step capacitances and the last
// frequency factor).
std::vector<SweepRow> run_sweep(DesignRecord& ds, const EndSteps& ends);

// Frequency of point k of the sweep, MHz.
float sweep_frequency(const Sweep& s, int k);

}  // namespace mx
