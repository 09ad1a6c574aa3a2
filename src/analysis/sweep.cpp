#include "analysis/sweep.h"

#include "analysis/lumped_cascade.h"

namespace mx {

SweepRow analyse_point(DesignRecord& ds, const EndSteps& ends, float f) {
  SweepRow row;
  row.f_mhz = f;
  if (ds.control.option == Option::kElectrical) {
    lumped_cascade(ds, f, row.two_port);
  } else if (ds.control.option == Option::kDistributed) {
    coax_cascade(ds, ends, f, row.two_port);
  }
  row.figures = port_figures(row.two_port, ds.ports);
  row.delay_ns = group_delay(ds, ends, f, row.figures.phase_deg);
  return row;
}

float sweep_frequency(const Sweep& s, int k) {
  return s.start_mhz + s.step_mhz * static_cast<float>(k);
}

std::vector<SweepRow> run_sweep(DesignRecord& ds, const EndSteps& ends) {
  std::vector<SweepRow> rows;
  const int steps = ds.sweep.steps;
  if (steps >= 0) rows.reserve(static_cast<std::size_t>(steps) + 1);
  for (int k = 0; k <= steps; ++k)
    rows.push_back(analyse_point(ds, ends, sweep_frequency(ds.sweep, k)));
  return rows;
}

}  // namespace mx
