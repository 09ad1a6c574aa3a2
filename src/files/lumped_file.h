// The lumped circuit data file: a title line, the configuration ICFG and the
// element values of a known LC ladder, one per line. ICFG 1 (standard) and 2
// (dual) give one value per position; 11 and 12 are the same circuits with
// resonant arms, each value followed by its partner's (0 for none).
#pragma once

#include <filesystem>

#include "base/text_out.h"
#include "model/design_record.h"

namespace mx {

// ICFG of the resonant form of the standard and of the dual circuit.
inline constexpr int kStandardResonant = 11;
inline constexpr int kDualResonant = 12;

// Reads the file named by ds.files.lumped (in workdir) into the
// configuration, the ladder's shunt capacitors / series inductors, their
// partners (tank_pf, trap_nh; cleared, then set by the resonant form) and the
// section count. Values are stored as they are read. On a bad entry the
// message goes to console, the result is false and N is unchanged; at the end
// of the element list N is the number of values read (0 when the file ends
// before ICFG) and the result true. At most 31 values are taken: a 32nd line
// is a bad entry. A file that cannot be opened ends the run (ProgramExit,
// status 2).
bool read_lumped_file(DesignRecord& ds, TextOut& console, const std::filesystem::path& workdir);

}  // namespace mx
