// The input dialog: called at the start of every design cycle, it asks what
// the cycle's next operation (and origin, function) call for and fills the
// design record.
#pragma once

#include <filesystem>
#include <functional>

#include "base/clock.h"
#include "base/console.h"
#include "model/design_record.h"

namespace mx {

// The longest frequency sweep the dialog accepts, in steps (100001 points).
inline constexpr int kMaxSweepSteps = 100000;

// Steps of the sweep from w.start_mhz to w.stop_mhz by w.step_mhz, as the
// analysis questions count them (a last point within a thousandth of a step
// of the stop is kept).
int sweep_step_count(const Sweep& w);

struct DialogContext {
  Console& console;
  const Clock& clock;
  std::filesystem::path workdir;
  // Called before a circuit data file is opened, so that everything the run
  // has written so far (the report file) is on disk: a data file that is the
  // report file then reads what was written, whatever the buffer sizes.
  std::function<void()> before_data_file = [] {};
};

// Asks the questions of one cycle. When the section count is computed from
// the skirt, ds.design.skirt_reached_db receives the attenuation reached. On
// return a next operation of kEndRun asks the main cycle to end the run (the
// defaults file, or a circuit data file named in a script, was rejected).
void run_dialog(DesignRecord& ds, DialogContext& ctx);

}  // namespace mx
