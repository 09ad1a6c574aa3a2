// The whole program as a function: console streams, a clock and a working
// folder in, exit status out. main() calls it with the process's own; tests
// call it with strings, a fixed clock and a temporary folder.
#pragma once

#include <filesystem>
#include <istream>
#include <ostream>

#include "base/clock.h"

namespace mx {

int run_program(std::istream& in, std::ostream& out, std::ostream& err, const Clock& clock,
                const std::filesystem::path& workdir);

}  // namespace mx
