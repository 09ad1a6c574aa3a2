// The distributed circuit data file: a title line, the section count and the
// outer diameter, inner diameter, dielectric constant (and, for the sections,
// the length) of every coaxial line from the source to the load.
#pragma once

#include <filesystem>

#include "main/text_out.h"
#include "model/design_state.h"

namespace mx {

// Reads the file named by fnid (in workdir) into n and anab, anad, anaer,
// anal, computes anazo of every line and sets zrs and zrl to the impedances
// of the source and load lines. Values are stored as they are read. On a bad
// or missing entry the message goes to console and isel is -1, else isel is 0.
// A file that cannot be opened ends the run (ProgramExit, status 2).
void cxeread(DesignState& ds, TextOut& console, const std::filesystem::path& workdir);

}  // namespace mx
