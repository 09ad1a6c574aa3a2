// The defaults file "Mandrelix.DEF": the starting value of every design input.
#pragma once

#include <filesystem>

#include "main/text_out.h"
#include "model/design_state.h"

namespace mx {

// Reads workdir/"Mandrelix.DEF" into the design record, checking each value
// as it goes. isel is 0 on return when all 36 lines were taken; on a short
// file, an unreadable line or a rejected value the message goes to console
// and isel is -1 (the values before the failing line stay stored, the failing
// one too). A file that cannot be opened ends the run (ProgramExit, status 2).
void cxdread(DesignState& ds, TextOut& console, const std::filesystem::path& workdir);

}  // namespace mx
