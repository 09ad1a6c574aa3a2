// The defaults file "Mandrelix.DEF": the starting value of every design input.
#pragma once

#include <filesystem>

#include "base/text_out.h"
#include "model/design_record.h"

namespace mx {

// The defaults file's name in the working folder.
inline constexpr const char* kDefaultsFileName = "Mandrelix.DEF";

// Reads workdir/Mandrelix.DEF into the design record, checking each value as
// it goes; true when all 36 lines were taken. On a short file, an unreadable
// line or a rejected value the message goes to console and the result is
// false (the values before the failing line stay stored, the failing one
// too). A file that cannot be opened ends the run (ProgramExit, status 2).
bool read_defaults_file(DesignRecord& ds, TextOut& console, const std::filesystem::path& workdir);

}  // namespace mx
