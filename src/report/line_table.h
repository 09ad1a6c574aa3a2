// The table of coaxial lines shared by the dimension report of a synthesis and
// the model of an entered circuit: diameters, dielectric constant, impedance,
// TE11 cutoff, peak power and length of every line.
#pragma once

#include "base/format.h"

namespace mx {

// Column heading of the table.
const Format& line_table_heading();
// Row of the source or load line (no length): label, D, B, Er, Zo, TE11, power.
const Format& line_table_end_row();
// Row of a section: number, D, B, Er, Zo, TE11, power, length.
const Format& line_table_section_row();

}  // namespace mx
