// The figures of merit of a lumped low-pass ladder, from its analysed loss:
// what a change of its component values (standard values, say) does to it.
#pragma once

#include "model/design_record.h"

namespace mx {

struct LadderFigures {
  float passband_edge_mhz =
      0;                  // the last frequency below the stopband with the loss within edge_db
  float ripple_db = 0;    // the largest loss from DC to FC1
  float stopband_db = 0;  // the least attenuation from stop_mhz to 10 x FC1
};

// The figures of the ladder of ds in its configuration, terminated as after
// a synthesis (source Zo, the configuration's own load), for the edge level
// edge_db (the ripple, or 3.01 dB) and the stopband from stop_mhz, on a grid
// of FC1/400. Loss and attenuation are magnitudes in dB.
LadderFigures ladder_figures(const DesignRecord& ds, float edge_db, float stop_mhz);

}  // namespace mx
