// The distributed circuit data file: a title line, the section count N and
// the outer diameter, inner diameter, dielectric constant (and, for the
// sections, the length) of every coaxial line from the source to the load.
#pragma once

#include <filesystem>

#include "base/text_out.h"
#include "model/design_record.h"

namespace mx {

// Reads the file named by ds.files.coaxial (in workdir) into the section
// count and ds.entered (outer, inner, er, length of lines 0..N+1), computes
// every line's impedance and sets Rs and Rl to the impedances of the source
// and load lines. Values are stored as they are read. True when the whole
// circuit was read; on a bad or missing entry the message goes to console and
// the result is false. A file that cannot be opened ends the run
// (ProgramExit, status 2).
bool read_coax_file(DesignRecord& ds, TextOut& console, const std::filesystem::path& workdir);

}  // namespace mx
