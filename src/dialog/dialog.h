// The input dialog: called at the start of every design cycle, it asks what
// the cycle's isel (and ifrom, ifunc) call for and fills the design record.
#pragma once

#include <filesystem>

#include "dialog/console.h"
#include "main/clock.h"
#include "model/design_state.h"

namespace mx {

// The longest frequency sweep the dialog accepts, in steps (100001 points).
inline constexpr int kMaxSweepSteps = 100000;

struct DialogContext {
  Console& console;
  const Clock& clock;
  std::filesystem::path workdir;
};

// a2 receives the attenuation reached at the skirt frequency when the dialog
// computes the section count. On return isel = -1 asks the main cycle to end
// the run (a data file was unusable).
void cxlpfin(DesignState& ds, float& a2, DialogContext& ctx);

}  // namespace mx
