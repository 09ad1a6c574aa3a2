// The lines of a coaxial filter as the record holds them, source to load:
// of the filter just synthesized (the line kinds by position, the lengths of
// the synthesis) or of an entered circuit (line by line).
#pragma once

#include <vector>

#include "model/design_record.h"

namespace mx {

struct CoaxLineData {
  float outer = 0, inner = 0, er = 1, zo = 0, length = 0;  // inch, ohm; length 0 for the end lines
};

struct CoaxFilterLines {
  CoaxLineData source, load;
  std::vector<CoaxLineData> sections;  // 1..N
};

// Position j (from 1) of a ladder of that configuration is a shunt capacitor,
// i.e. a low-impedance section.
bool capacitive_section(Configuration c, int j);

CoaxFilterLines synthesized_lines(const DesignRecord& ds);
CoaxFilterLines entered_lines(const DesignRecord& ds);

}  // namespace mx
