// Standard component values: the preferred-number series E6 to E96 of
// IEC 60063:2015 ("Preferred number series for resistors and capacitors"),
// and the ladder moved onto them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/design_record.h"

namespace mx {

struct PreferredSeries {
  std::string_view name;  // "E12"
  int per_decade;         // values in a decade: 6, 12, 24, 48, 96
  float tolerance_pct;    // the tolerance the series is made for, +/- percent
};

// The series of that name (E6, E12, E24, E48, E96), or nothing.
std::optional<PreferredSeries> preferred_series(std::string_view name);
// The series with per_decade values (0 or unknown: nothing).
std::optional<PreferredSeries> preferred_series(int per_decade);

// The value of the series nearest to v (v > 0) on a logarithmic scale, that
// is in ratio; v itself when it is not a positive finite number.
float nearest_preferred(float v, const PreferredSeries& series);

// One component moved onto the series.
struct SnappedValue {
  int position = 0;
  std::string part;  // "C1", "L2", "C2'" (the partner across L2) ...
  const char* unit;  // "pF" or "nH"
  float exact = 0, chosen = 0;
};

// Moves every element and resonating partner of positions 1..sections of
// both circuits of the ladder onto the series, and lists those of the
// configuration cfg (standard unless dual) in ladder order.
std::vector<SnappedValue> snap_ladder(Ladder& ladder, int sections, Configuration cfg,
                                      const PreferredSeries& series);

}  // namespace mx
