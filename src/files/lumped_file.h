// The lumped circuit data file: a title line, the configuration and the
// element values of a known LC ladder, one per line.
#pragma once

#include <filesystem>

#include "main/text_out.h"
#include "model/design_state.h"

namespace mx {

// Reads the file named by fnie (in workdir) into icfg, shuntc/serl and n.
// Values are stored as they are read. On a bad entry the message goes to
// console, isel is -1 and n is unchanged; at the end of the element list
// n is the number of values read and isel 0. At most 31 values are taken: a
// 32nd line is a bad entry. A file that cannot be opened ends the run
// (ProgramExit, status 2).
void lefread(DesignState& ds, TextOut& console, const std::filesystem::path& workdir);

}  // namespace mx
