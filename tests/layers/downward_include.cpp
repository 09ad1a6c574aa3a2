// Built against the line layer: its own headers and those of base are seen.
#include "base/units.h"
#include "line/impedance.h"

float layer_probe_downward() { return mx::line_impedance(2.0f, 1.0f, 1.0f) + mx::kPi; }
