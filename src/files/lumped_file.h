// The lumped circuit data file: a title line, the configuration ICFG and the
// element values of a known LC ladder, one per line.
#pragma once

#include <filesystem>

#include "base/text_out.h"
#include "model/design_record.h"

namespace mx {

// Reads the file named by ds.files.lumped (in workdir) into the
// configuration, the ladder's shunt capacitors / series inductors and the
// section count. Values are stored as they are read. On a bad entry the
// message goes to console, the result is false and N is unchanged; at the end
// of the element list N is the number of values read (0 when the file ends
// before ICFG) and the result true. At most 31 values are taken: a 32nd line
// is a bad entry. A file that cannot be opened ends the run (ProgramExit,
// status 2).
bool read_lumped_file(DesignRecord& ds, TextOut& console, const std::filesystem::path& workdir);

}  // namespace mx
